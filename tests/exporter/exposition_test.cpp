// What a probe's answer says, from outcomes a server could cause: what a
// reply did not give, or gave in another form, is left out. (Hostile texts:
// exporter_process_test.cpp, through a real reply.)
#include <gtest/gtest.h>

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
  EXPECT_FALSE(exporter::ReadSecondsLeft("999999999999999999 Mins"));  // no overflow into nonsense
}

}  // namespace
