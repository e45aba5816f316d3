#pragma once
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/watch_statistics.h"
#include "platform/framework/cstring.h"

// What --watch shows of its servers: the table's cells, its title, the
// lines of a pipe and the summary, in UTF-8.

struct WatchServer {
  CString address;
  CWatchStatistics statistics;
  std::vector<CString> lastMessages;  // of its last answered round, said once while they stay
};

// ADDRESS, HOST, PLAYERS, RTT, ECHO LOSS%, STATUS LOSS%, BEST, AVG, WORST,
// TIME LEFT; times in milliseconds to the microsecond, "-" for what is not
// known yet.
constexpr std::size_t kWatchColumns = 10;
using WatchCells = std::array<std::string, kWatchColumns>;

WatchCells WatchHeading();
WatchCells WatchRowCells(const WatchServer& server);

// The heading and a row per server, in aligned columns two blanks apart.
std::vector<std::string> WatchTableLines(const std::vector<WatchServer>& servers, std::size_t lineColumns = SIZE_MAX);

// The table's title: the interval, the round (of how many), how to end.
std::string WatchTitle(double seconds, std::size_t round, std::optional<std::size_t> count);

// A time as UTC to the millisecond: "2026-12-08T12:00:01.123Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point time);

// The line that sums up a server when the watch ends, with its line end:
// "ADDRESS : rounds 5, answered 4, loss 20%, echo loss 0%,
// min/avg/max/mdev = 0.041/0.052/0.070/0.011 ms".
std::string WatchSummaryLine(const WatchServer& server);
