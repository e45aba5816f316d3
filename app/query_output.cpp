#include "app/query_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

#include "app/terminal_text.h"
#include "platform/framework/safe_text.h"
#include "platform/framework/text_encoding.h"

namespace {

std::string Shown(const CString& text) { return framework::SafeDisplayText(text.str()); }

// JSON keeps every character the bytes show as, escaped where it would not show.
std::string JsonString(const CString& text) {
  return '"' + JsonEscaped(framework::DisplayTextToUtf8(text.str())) + '"';
}

// The PING field holds a decimal number of milliseconds; 0 when it does not.
long long PingMilliseconds(const CString& strPing) {
  long long value = 0;
  for (int i = 0; i < strPing.GetLength(); ++i) {
    if (strPing[i] < '0' || strPing[i] > '9') return 0;
    value = value * 10 + (strPing[i] - '0');
  }
  return value;
}

std::string RoundTripJson(long long microseconds) {
  if (microseconds < 0) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", microseconds / 1000, microseconds % 1000);
  return text;
}

// The members in the order of their names, indented as a member of a
// document indented `depth` times by four spaces.
std::string JsonObject(const QueryOutcome& outcome, int depth) {
  const std::string outer(static_cast<std::size_t>(depth) * 4, ' ');
  const std::string inner = outer + "    ";
  std::string messages = "[\n";
  for (std::size_t i = 0; i < outcome.messages.size(); ++i) {
    messages += inner + "    " + JsonString(outcome.messages[i]) + (i + 1 < outcome.messages.size() ? ",\n" : "\n");
  }
  messages += inner + "]";
  const std::array<std::pair<const char*, std::string>, 11> members = {{
      {"address", JsonString(outcome.strAddress)},
      {"detected", outcome.detected ? "true" : "false"},
      {"host", JsonString(outcome.strHost)},
      {"messages", messages},
      {"ping_ms", std::to_string(PingMilliseconds(outcome.strPing))},
      {"players", JsonString(outcome.strPlayers)},
      {"rtt_ms", RoundTripJson(outcome.rttMicroseconds)},
      {"session", JsonString(outcome.strSession)},
      {"time_left", JsonString(outcome.strTimeLeft)},
      {"track", JsonString(outcome.strTrack)},
      {"type", JsonString(outcome.strType)},
  }};
  std::string json = "{\n";
  for (std::size_t i = 0; i < members.size(); ++i) {
    json += inner + '"' + members[i].first + "\": " + members[i].second + (i + 1 < members.size() ? ",\n" : "\n");
  }
  return json + outer + "}";
}

constexpr std::size_t kColumns = 8;
using Row = std::array<std::string, kColumns>;

// The widest a cell of the table gets, in columns. A dotted quad takes 15
// and a host name rarely more than 40; a server's texts are cut where they
// would push the columns after them off a terminal's line. TYPE, TIME_LEFT
// and PING are the program's own short texts.
constexpr std::size_t kAddressColumns = 40;
constexpr std::size_t kNameColumns = 32;   // HOST and TRACK
constexpr std::size_t kShortColumns = 16;  // PLAYERS and SESSION
constexpr std::size_t kUncut = static_cast<std::size_t>(-1);

std::string Cell(const CString& value, std::size_t columns = kUncut) {
  return value.IsEmpty() ? "-" : CutToWidth(Shown(value), columns);
}

Row RowOf(const QueryOutcome& o) {
  const std::string ping = o.rttMicroseconds < 0 ? "-" : Cell(o.strPing);
  return {CutToWidth(ConsoleAddress(o.strAddress), kAddressColumns),
          ping,
          Cell(o.strPlayers, kShortColumns),
          Cell(o.strType),
          Cell(o.strSession, kShortColumns),
          Cell(o.strTimeLeft),
          Cell(o.strHost, kNameColumns),
          Cell(o.strTrack, kNameColumns)};
}

std::string FormatRow(const Row& row, const std::array<std::size_t, kColumns>& widths) {
  std::string line;
  for (std::size_t c = 0; c < kColumns; ++c) {
    line += row[c];
    if (c + 1 < kColumns) line += std::string(widths[c] - DisplayWidth(row[c]) + 2, ' ');
  }
  return line + '\n';
}

}  // namespace

std::string QueryResultText(const QueryOutcome& outcome) {
  const std::array<std::pair<const char*, std::string>, 8> fields = {{
      {"ADDRESS", ConsoleAddress(outcome.strAddress)},
      {"PING", Shown(outcome.strPing)},
      {"HOST", Shown(outcome.strHost)},
      {"TRACK", Shown(outcome.strTrack)},
      {"PLAYERS", Shown(outcome.strPlayers)},
      {"TYPE", Shown(outcome.strType)},
      {"SESSION", Shown(outcome.strSession)},
      {"TIME_LEFT", Shown(outcome.strTimeLeft)},
  }};
  std::string text;
  for (const auto& [name, value] : fields) text += std::string(name) + '\t' + value + '\n';
  return text;
}

std::string QueryResultJson(const QueryOutcome& outcome) { return JsonObject(outcome, 0) + '\n'; }

std::string QueryResultTable(const std::vector<QueryOutcome>& outcomes) {
  std::vector<Row> rows = {{"ADDRESS", "PING", "PLAYERS", "TYPE", "SESSION", "TIME_LEFT", "HOST", "TRACK"}};
  for (const QueryOutcome& outcome : outcomes) rows.push_back(RowOf(outcome));
  std::array<std::size_t, kColumns> widths{};
  for (const Row& row : rows) {
    for (std::size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  }
  std::string table;
  for (const Row& row : rows) table += FormatRow(row, widths);
  return table;
}

std::string QueryResultJsonArray(const std::vector<QueryOutcome>& outcomes) {
  std::string json = "[\n";
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    json += "    " + JsonObject(outcomes[i], 1) + (i + 1 < outcomes.size() ? ",\n" : "\n");
  }
  return json + "]\n";
}

std::string ConsoleLine(const CString& text) { return Shown(text) + '\n'; }

std::string ConsoleAddress(const CString& address) {
  const std::string shown = Shown(address);
  const bool misreadable = shown.empty() || shown.find_first_of(" :'") != std::string::npos;
  return misreadable ? "'" + shown + "'" : shown;
}
