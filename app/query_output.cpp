#include "app/query_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

#include "platform/framework/text_encoding.h"

namespace {

std::string Utf8Of(const CString& text) { return framework::DisplayTextToUtf8(text.str()); }

// C0 controls, DEL, and the C1 controls (U+0080 to U+009F, encoded C2 80 to C2 9F).
std::string OnOneLine(const std::string& utf8) {
  std::string line;
  line.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    const bool c1 = byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
    if (byte < 0x20 || byte == 0x7F || c1) {
      line += '?';
      if (c1) ++i;
    } else {
      line += utf8[i];
    }
  }
  return line;
}

std::string JsonString(const CString& text) {
  std::string json = "\"";
  for (const char ch : Utf8Of(text)) {
    const auto byte = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\b': json += "\\b"; break;
      case '\f': json += "\\f"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (byte < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", byte);
          json += escape;
        } else {
          json += ch;
        }
    }
  }
  return json + '"';
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

std::size_t DisplayWidth(const std::string& utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

constexpr std::size_t kColumns = 8;
using Row = std::array<std::string, kColumns>;

std::string Cell(const CString& value) { return value.IsEmpty() ? "-" : OnOneLine(Utf8Of(value)); }

Row RowOf(const QueryOutcome& o) {
  const std::string ping = o.rttMicroseconds < 0 ? "-" : Cell(o.strPing);
  return {Cell(o.strAddress), ping,          Cell(o.strPlayers), Cell(o.strType),
          Cell(o.strSession), Cell(o.strTimeLeft), Cell(o.strHost),    Cell(o.strTrack)};
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
      {"ADDRESS", &outcome.strAddress}, {"PING", &outcome.strPing},       {"HOST", &outcome.strHost},
      {"TRACK", &outcome.strTrack},     {"PLAYERS", &outcome.strPlayers}, {"TYPE", &outcome.strType},
      {"SESSION", &outcome.strSession}, {"TIME_LEFT", &outcome.strTimeLeft},
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
