// The figures --watch keeps per server and how it shows them: ping's
// arithmetic, loss that skipped rounds do not change, and a redraw that
// never lets a line wrap or the table run off the screen.
#include "app/watch_statistics.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/terminal_text.h"
#include "app/watch_live_table.h"
#include "app/watch_table.h"
#include "query/query_messages.h"

namespace {

QueryOutcome Answer(long long rttMicroseconds, bool detected, const char* host = "Host") {
  QueryOutcome outcome;
  outcome.strAddress = "127.0.0.2";
  outcome.rttMicroseconds = rttMicroseconds;
  outcome.detected = detected;
  if (detected) {
    outcome.m_strHost = host;
    outcome.m_strPlayers = "3/8";
    outcome.m_strTimeLeft = "90 Mins";
  }
  return outcome;
}

TEST(WatchStatisticsTest, RoundTripsAsPingSumsThem) {
  CWatchStatistics stats;
  EXPECT_FALSE(stats.RoundTrips());
  for (const long long rtt : {100, 300, -1, 200}) stats.AddRound(Answer(rtt, true));
  const std::optional<RoundTripFigures> rtt = stats.RoundTrips();
  ASSERT_TRUE(rtt);
  EXPECT_EQ(rtt->minMicroseconds, 100);
  EXPECT_EQ(rtt->maxMicroseconds, 300);
  EXPECT_DOUBLE_EQ(rtt->avgMicroseconds, 200.0);
  // sqrt(mean(x^2) - mean(x)^2) = sqrt((1e4 + 9e4 + 4e4) / 3 - 4e4)
  EXPECT_NEAR(rtt->mdevMicroseconds, 81.6497, 1e-3);
  EXPECT_EQ(stats.LastRoundTripMicroseconds(), 200);
  // Every echo as long: no spread.
  CWatchStatistics same;
  for (int i = 0; i < 1000; ++i) same.AddRound(Answer(123457, true));
  EXPECT_EQ(same.RoundTrips()->mdevMicroseconds, 0.0);
}

TEST(WatchStatisticsTest, SkippedRoundsAreNeitherAskedNorLost) {
  CWatchStatistics stats;
  stats.AddRound(Answer(150, true, "First"));
  stats.AddSkipped();
  stats.AddRound(Answer(250, false));
  stats.AddSkipped();
  stats.AddRound(Answer(-1, false));
  stats.AddRound(Answer(-1, true, "Fourth"));
  EXPECT_EQ(stats.Rounds(), 4u);
  EXPECT_EQ(stats.Skipped(), 2u);
  EXPECT_EQ(stats.EchoesSent(), 4u);
  EXPECT_EQ(stats.EchoesAnswered(), 2u);
  EXPECT_EQ(stats.StatusAnswered(), 2u);
  EXPECT_DOUBLE_EQ(*stats.EchoLossPercent(), 50.0);
  EXPECT_DOUBLE_EQ(*stats.StatusLossPercent(), 50.0);
  EXPECT_EQ(stats.LastRoundTripMicroseconds(), -1);
  EXPECT_EQ(stats.Host(), CString("Fourth"));  // the last reply's, a silent round between them
}

// Text that names no server was not asked: no loss to speak of.
TEST(WatchStatisticsTest, AnInvalidAddressSendsNothing) {
  QueryOutcome invalid;
  invalid.strAddress = "";
  invalid.messages.emplace_back(kInvalidAddressText);
  WatchServer server{"", {}, {}};
  server.statistics.AddRound(invalid);
  EXPECT_EQ(server.statistics.Rounds(), 1u);
  EXPECT_FALSE(server.statistics.EchoLossPercent());
  EXPECT_FALSE(server.statistics.StatusLossPercent());
  EXPECT_EQ(WatchSummaryLine(server), "'' : rounds 1, answered 0, loss -, echo loss -\n");
}

TEST(WatchStatisticsTest, RowAndSummaryShowMillisecondsToTheMicrosecond) {
  WatchServer server{"127.0.0.2", {}, {}};
  for (const long long rtt : {41, 70, 45}) server.statistics.AddRound(Answer(rtt, true));
  server.statistics.AddRound(Answer(-1, false));
  server.statistics.AddRound(Answer(52, true));
  server.statistics.AddSkipped();
  const WatchCells cells = WatchRowCells(server);
  EXPECT_EQ(cells, (WatchCells{"127.0.0.2", "Host", "3/8", "0.052", "20", "20", "0.041", "0.052", "0.070", "90 Mins"}));
  EXPECT_EQ(WatchSummaryLine(server),
            "127.0.0.2 : rounds 5, answered 4, loss 20%, echo loss 20%, skipped 1, "
            "min/avg/max/mdev = 0.041/0.052/0.070/0.011 ms\n");
  server.statistics.AddRound(Answer(60, false));
  EXPECT_EQ(WatchRowCells(server)[5], "33.3");  // 2 of 6
}

TEST(WatchStatisticsTest, TimestampsAreUtcToTheMillisecond) {
  using namespace std::chrono;
  const sys_days day = year{2026} / December / 8;
  EXPECT_EQ(UtcTimestamp(day + hours{12} + seconds{1} + milliseconds{123}), "2026-12-08T12:00:01.123Z");
  EXPECT_EQ(UtcTimestamp(day + microseconds{999}), "2026-12-08T00:00:00.000Z");
}

// The lines of a redraw: the text between the cursor's moves.
std::vector<std::string> ScreenLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string rest = text.substr(text.find("\x1b[H") + 3);
  for (std::size_t end; (end = rest.find("\r\n")) != std::string::npos; rest.erase(0, end + 2)) {
    lines.push_back(rest.substr(0, end));
  }
  lines.push_back(rest);
  return lines;
}

TEST(WatchStatisticsTest, RedrawCutsLinesToTheWidthAndCountsTheRowsLeftOut) {
  const std::vector<std::string> table = {"ADDRESS  HOST", "127.0.0.2  A very long host name indeed", "127.0.0.3  B",
                                          "127.0.0.4  C", "127.0.0.5  D"};
  // Wide enough and tall enough: every line, each erased to its end, and below them.
  std::vector<std::string> lines = ScreenLines(WatchScreenText("Title", table, {80, 24}));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "Title\x1b[K");
  EXPECT_EQ(lines[2], table[1] + "\x1b[K");
  EXPECT_EQ(lines[6], "\x1b[J");
  // Twenty columns, four rows: no line wider, and the last says how many servers are not shown.
  lines = ScreenLines(WatchScreenText("Title", table, {20, 4}));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "127.0.0.2  A very l\u2026");  // exactly the width: not erased, no wrap
  EXPECT_EQ(lines[3], "\u2026 and 3 more servers");
}

}  // namespace
