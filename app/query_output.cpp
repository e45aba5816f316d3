#include "app/query_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

#include "app/terminal_text.h"
#include "platform/framework/text_encoding.h"

namespace {

std::string Utf8Of(const CString& text) { return framework::DisplayTextToUtf8(text.str()); }

std::string JsonString(const CString& text) { return '"' + JsonEscaped(Utf8Of(text)) + '"'; }

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

std::string Cell(const CString& value) { return value.IsEmpty() ? "-" : OnOneLine(Utf8Of(value)); }

Row RowOf(const QueryOutcome& o) {
  const std::string ping = o.rttMicroseconds < 0 ? "-" : Cell(o.strPing);
  return {Cell(o.strAddress), ping,
          Cell(o.strPlayers), Cell(o.strType),
          Cell(o.strSession), Cell(o.strTimeLeft),
          Cell(o.strHost),    Cell(o.strTrack)};
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
  const std::array<std::pair<const char*, const CString*>, 8> fields = {{
      {"ADDRESS", &outcome.strAddress},
      {"PING", &outcome.strPing},
      {"HOST", &outcome.strHost},
      {"TRACK", &outcome.strTrack},
      {"PLAYERS", &outcome.strPlayers},
      {"TYPE", &outcome.strType},
      {"SESSION", &outcome.strSession},
      {"TIME_LEFT", &outcome.strTimeLeft},
  }};
  std::string text;
  for (const auto& [name, value] : fields) text += std::string(name) + '\t' + OnOneLine(Utf8Of(*value)) + '\n';
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

std::string ConsoleLine(const CString& text) { return OnOneLine(Utf8Of(text)) + '\n'; }
