#include "app/watch_table.h"

#include <algorithm>
#include <cstdio>

#include "app/query_output.h"
#include "app/terminal_text.h"

namespace {

// As the query table: a long host name is cut rather than widening every
// row.
constexpr std::size_t kHostColumns = 32;
constexpr std::size_t kPlayersColumns = 16;
// "2026-12-08T12:00:01.123Z" and room for a year beyond 9999.
constexpr std::size_t kTimestampSize = 40;

std::string Milliseconds(double microseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", microseconds / 1000.0);
  return text;
}

// "20", "33.3": to a tenth, a whole per cent without decimals.
std::string Percent(std::optional<double> percent) {
  if (!percent) return "-";
  // Rounded in whole numbers: a call to the maths library would load it at
  // every start of the program.
  const double scaled = *percent * 10.0;  // a per cent is never negative
  auto tenths = static_cast<long long>(scaled);
  if (scaled - static_cast<double>(tenths) >= 0.5) ++tenths;
  const std::string whole = std::to_string(tenths / 10);
  return tenths % 10 == 0 ? whole : whole + '.' + std::to_string(tenths % 10);
}

std::string PercentWithSign(std::optional<double> percent) { return percent ? Percent(percent) + '%' : "-"; }

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

}  // namespace

WatchCells WatchHeading() {
  return {"ADDRESS", "HOST", "PLAYERS", "RTT", "ECHO LOSS%", "STATUS LOSS%", "BEST", "AVG", "WORST", "TIME LEFT"};
}

WatchCells WatchRowCells(const WatchServer& server) {
  const CWatchStatistics& stats = server.statistics;
  const long long last = stats.LastRoundTripMicroseconds();
  const std::optional<RoundTripFigures> rtt = stats.RoundTrips();
  return {ConsoleAddressCell(server.address),
          ConsoleCell(stats.Host(), kHostColumns),
          ConsoleCell(stats.Players(), kPlayersColumns),
          last < 0 ? "-" : Milliseconds(static_cast<double>(last)),
          Percent(stats.EchoLossPercent()),
          Percent(stats.StatusLossPercent()),
          rtt ? Milliseconds(static_cast<double>(rtt->minMicroseconds)) : "-",
          rtt ? Milliseconds(rtt->avgMicroseconds) : "-",
          rtt ? Milliseconds(static_cast<double>(rtt->maxMicroseconds)) : "-",
          ConsoleCell(stats.TimeLeft(), kPlayersColumns)};
}

std::vector<std::string> WatchTableLines(const std::vector<WatchServer>& servers, std::size_t lineColumns) {
  std::vector<WatchCells> rows = {WatchHeading()};
  for (const WatchServer& server : servers) rows.push_back(WatchRowCells(server));
  std::array<std::size_t, kWatchColumns> widths{};
  for (const WatchCells& row : rows) {
    for (std::size_t c = 0; c < kWatchColumns; ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  }
  // On a narrow terminal the host names give way first, so that the
  // figures keep their place.
  constexpr std::size_t kHost = 1;
  constexpr std::size_t kNarrowestHost = 8;
  std::size_t line = 2 * (kWatchColumns - 1);
  for (const std::size_t width : widths) line += width;
  if (line > lineColumns && widths[kHost] > kNarrowestHost) {
    widths[kHost] -= std::min(line - lineColumns, widths[kHost] - kNarrowestHost);
    for (WatchCells& row : rows) row[kHost] = CutToWidth(row[kHost], widths[kHost]);
  }
  std::vector<std::string> lines;
  lines.reserve(rows.size());
  for (const WatchCells& row : rows) lines.push_back(AlignedLine(row, widths));
  return lines;
}

std::string WatchTitle(double seconds, std::size_t round, std::optional<std::size_t> count) {
  std::string title = "Every " + Seconds(seconds) + " s, round " + std::to_string(round);
  if (count) title += " of " + std::to_string(*count);
  return title + ". Ctrl-C ends.";
}

std::string UtcTimestamp(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto ms = floor<milliseconds>(time);
  const auto day = floor<days>(ms);
  const year_month_day date{day};
  const hh_mm_ss clock{ms - day};
  char text[kTimestampSize];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
  return text;
}

std::string WatchSummaryLine(const WatchServer& server) {
  const CWatchStatistics& stats = server.statistics;
  std::string line = ConsoleAddress(server.address) + " : rounds " + std::to_string(stats.Rounds()) + ", answered " +
                     std::to_string(stats.StatusAnswered()) + ", loss " + PercentWithSign(stats.StatusLossPercent()) +
                     ", echo loss " + PercentWithSign(stats.EchoLossPercent());
  if (stats.Skipped() != 0) line += ", skipped " + std::to_string(stats.Skipped());
  if (const std::optional<RoundTripFigures> rtt = stats.RoundTrips()) {
    line += ", min/avg/max/mdev = " + Milliseconds(static_cast<double>(rtt->minMicroseconds)) + '/' +
            Milliseconds(rtt->avgMicroseconds) + '/' + Milliseconds(static_cast<double>(rtt->maxMicroseconds)) + '/' +
            Milliseconds(rtt->mdevMicroseconds) + " ms";
  }
  return line + '\n';
}
