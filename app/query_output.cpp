#include "app/query_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

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

// The value of a field in JSON: PING as its number of milliseconds.
std::string JsonValue(const QueryOutcome& outcome, const ResultField& row) {
  const CString& text = outcome.*row.text;
  return row.field == QueryField::Ping ? std::to_string(PingMilliseconds(text)) : JsonString(text);
}

using JsonMembers = std::vector<std::pair<std::string_view, std::string>>;

// The messages as a JSON array; `inner` is the indentation of its members,
// empty for one line.
std::string JsonMessages(const QueryOutcome& outcome, const std::string& inner, const std::string& outer) {
  if (outcome.messages.empty()) return "[]";
  const std::string open = inner.empty() ? "[" : "[\n";
  std::string messages = open;
  for (std::size_t i = 0; i < outcome.messages.size(); ++i) {
    const bool last = i + 1 == outcome.messages.size();
    messages += inner + JsonString(outcome.messages[i]) + (last ? "" : ",");
    if (!inner.empty()) messages += '\n';
  }
  return messages + outer + "]";
}

// The members with `extra` among them, in the order of their names,
// indented as a member of a document indented `depth` times by four
// spaces; on one line when `depth` is negative.
std::string JsonObject(const QueryOutcome& outcome, int depth, JsonMembers extra = {}) {
  const bool oneLine = depth < 0;
  const std::string outer(oneLine ? 0 : static_cast<std::size_t>(depth) * 4, ' ');
  const std::string inner = oneLine ? "" : outer + "    ";
  JsonMembers members = {
      {"address", JsonString(outcome.strAddress)},
      {"detected", outcome.detected ? "true" : "false"},
      {"messages", JsonMessages(outcome, oneLine ? "" : inner + "    ", inner)},
      {"rtt_ms", RoundTripJson(outcome.rttMicroseconds)},
  };
  for (const ResultField& row : kResultFields) members.emplace_back(row.jsonKey, JsonValue(outcome, row));
  for (auto& member : extra) members.push_back(std::move(member));
  std::sort(members.begin(), members.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  const std::string separator = oneLine ? ", " : ",\n";
  std::string json = oneLine ? "{" : "{\n";
  for (std::size_t i = 0; i < members.size(); ++i) {
    json += inner + '"' + std::string(members[i].first) + "\": " + members[i].second +
            (i + 1 < members.size() ? separator
             : oneLine              ? ""
                                    : "\n");
  }
  return json + outer + "}";
}

constexpr ResultFieldOrder kColumnsOfFields = ResultFieldsBy(&ResultField::consoleColumn);
constexpr std::size_t kColumns = 1 + kColumnsOfFields.size();  // ADDRESS first
using Row = std::array<std::string, kColumns>;

// A dotted quad takes 15 columns, and a host name rarely more than 40.
constexpr std::size_t kAddressColumns = 40;

std::string Cell(const CString& value, std::size_t columns) {
  return value.IsEmpty() ? "-" : CutToWidth(Shown(value), columns);
}

std::string FieldCell(const QueryOutcome& outcome, const ResultField& row) {
  if (row.field == QueryField::Ping && outcome.rttMicroseconds < 0) return "-";  // no echo came back
  return Cell(outcome.*row.text, row.consoleWidth);
}

Row Heading() {
  Row row{"ADDRESS"};
  for (std::size_t c = 0; c < kColumnsOfFields.size(); ++c) row[c + 1] = kColumnsOfFields[c]->label;
  return row;
}

Row RowOf(const QueryOutcome& outcome) {
  Row row{CutToWidth(ConsoleAddress(outcome.strAddress), kAddressColumns)};
  for (std::size_t c = 0; c < kColumnsOfFields.size(); ++c) row[c + 1] = FieldCell(outcome, *kColumnsOfFields[c]);
  return row;
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
  std::string text = "ADDRESS\t" + ConsoleAddress(outcome.strAddress) + '\n';
  for (const ResultField& row : kResultFields) text += std::string(row.label) + '\t' + Shown(outcome.*row.text) + '\n';
  return text;
}

std::string QueryResultJson(const QueryOutcome& outcome) { return JsonObject(outcome, 0) + '\n'; }

std::string QueryResultJsonLine(const QueryOutcome& outcome,
                                std::vector<std::pair<std::string_view, std::string>> extraMembers) {
  return JsonObject(outcome, -1, std::move(extraMembers)) + '\n';
}

std::string QueryResultTable(const std::vector<QueryOutcome>& outcomes) {
  std::vector<Row> rows = {Heading()};
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
  if (outcomes.empty()) return "[]\n";
  std::string json = "[\n";
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    json += "    " + JsonObject(outcomes[i], 1) + (i + 1 < outcomes.size() ? ",\n" : "\n");
  }
  return json + "]\n";
}

std::string ConsoleLine(const CString& text) { return Shown(text) + '\n'; }

std::string ConsoleListLine(const CString& text) {
  return framework::SafeDisplayText(text.str(), framework::WhiteSpaceControls::kAsSpaces) + '\n';
}

std::string ConsoleLines(const CString& text) {
  std::string lines;
  std::string_view rest = text.view();
  for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
    lines += ConsoleLine(CString(rest.substr(0, end)));
  }
  return lines + ConsoleLine(CString(rest));
}

std::string ConsoleAddress(const CString& address) {
  const std::string shown = Shown(address);
  const bool misreadable = shown.empty() || shown.find_first_of(" :'") != std::string::npos;
  return misreadable ? "'" + shown + "'" : shown;
}
