// What a probe's answer says, from outcomes a server could cause: hostile
// texts must stay inside their label values, and what a reply did not give
// is left out.
#include <gtest/gtest.h>

#include "app/exporter/exposition.h"
#include "app/exporter/probe_metrics.h"
#include "tests/exporter/metrics_check.h"

namespace {

using exporter::ProbeExposition;

QueryOutcome Detected() {
  QueryOutcome outcome;
  outcome.detected = true;
  outcome.rttMicroseconds = 1500;
  outcome.m_strHost = "Host";
  outcome.m_strPlayers = "3/16";
  outcome.m_strTimeLeft = "90 Mins";
  return outcome;
}

TEST(ExporterExpositionTest, HostileServerTextsStayInsideTheirLabel) {
  QueryOutcome outcome = Detected();
  outcome.m_strHost = CString("a\"b\\c\nd\x01\xFF\xC3(");
  outcome.m_strTrack = "} x 1\n# TYPE";
  const std::string text = ProbeExposition(outcome, 0.25);
  EXPECT_NE(text.find(R"(host="a\"b\\c)"), std::string::npos) << text;
  EXPECT_EQ(text.find("\n# TYPE\""), std::string::npos) << text;
  EXPECT_EQ(exporter::EscapedLabelValue("\xFF"), "\xC3\xBF");  // Windows-1252 where not UTF-8
  EXPECT_EQ(exporter::EscapedLabelValue("q\"\\"), "q\\\"\\\\");
  vqtest::ExpectValidMetrics(text);
}

TEST(ExporterExpositionTest, ValuesLeftOutWhenTheReplyDidNotGiveThem) {
  const std::string full = ProbeExposition(Detected(), 0.5);
  EXPECT_NE(full.find("\nquillmar_players 3\n"), std::string::npos) << full;
  EXPECT_NE(full.find("\nquillmar_players_max 16\n"), std::string::npos) << full;
  EXPECT_NE(full.find("\nquillmar_time_left_seconds 5400\n"), std::string::npos) << full;
  EXPECT_NE(full.find("\nquillmar_echo_rtt_seconds 0.0015\n"), std::string::npos) << full;
  EXPECT_NE(full.find("probe_success 1\n"), std::string::npos) << full;

  QueryOutcome odd = Detected();
  odd.m_strPlayers = "12 of 16";
  odd.m_strTimeLeft = "";
  odd.rttMicroseconds = -1;
  const std::string partial = ProbeExposition(odd, 5);
  EXPECT_EQ(partial.find("quillmar_players"), std::string::npos) << partial;
  EXPECT_EQ(partial.find("quillmar_time_left"), std::string::npos) << partial;
  EXPECT_EQ(partial.find("quillmar_echo_rtt"), std::string::npos) << partial;
  EXPECT_NE(partial.find("quillmar_echo_success 0\n"), std::string::npos) << partial;

  const std::string cut = ProbeExposition(std::nullopt, 9.5);  // the deadline came first
  EXPECT_EQ(cut.find("quillmar_"), std::string::npos) << cut;
  EXPECT_NE(cut.find("probe_success 0\n"), std::string::npos) << cut;
  vqtest::ExpectValidMetrics(partial);
  vqtest::ExpectValidMetrics(cut);
}

TEST(ExporterExpositionTest, PlayerAndTimeTextsAreReadStrictly) {
  EXPECT_EQ(exporter::ReadPlayerCount("12")->players, 12);
  EXPECT_FALSE(exporter::ReadPlayerCount("12")->most);
  EXPECT_EQ(exporter::ReadPlayerCount(" 3 / 8 ")->most, 8);
  for (const char* text : {"", "/8", "3/", "-1/8", "3/8/9", "+3", "99999999999999999999", "3x"}) {
    EXPECT_FALSE(exporter::ReadPlayerCount(text)) << text;
  }
  EXPECT_EQ(exporter::ReadSecondsLeft("0 Mins"), 0);
  EXPECT_FALSE(exporter::ReadSecondsLeft("Mins"));
  EXPECT_FALSE(exporter::ReadSecondsLeft("5"));
}

}  // namespace
