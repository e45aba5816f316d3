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
    messages += inner.empty() ? (last ? "" : " ") : "\n";
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

// A dotted quad takes 15 columns, and a host name rarely more than 40.
constexpr std::size_t kAddressColumns = 40;
constexpr std::string_view kAddressLabel = "ADDRESS";
constexpr std::string_view kPendingCell = "\xE2\x80\xA6";  // "…"

// The widest of the program's own texts in a cell shown whole: PING's
// milliseconds stay under the echo's 5-second limit, the longest level is
// "Intermediate", and a day left is "1440 Mins". A wider text still shows
// whole, and pushes the rest of its row to the right.
std::size_t WholeCellColumns(QueryField field) {
  constexpr std::size_t kLevelColumns = 12;
  constexpr std::size_t kTimeLeftColumns = 9;
  constexpr std::size_t kPingColumns = 4;
  switch (field) {
    case QueryField::Type: return kLevelColumns;
    case QueryField::TimeLeft: return kTimeLeftColumns;
    default: return kPingColumns;
  }
}

std::size_t FieldColumns(const ResultField& row) {
  const std::size_t cell = row.consoleWidth == kWholeCell ? WholeCellColumns(row.field) : row.consoleWidth;
  return std::max(cell, DisplayWidth(row.label));
}

std::string FieldCell(const QueryOutcome& outcome, const ResultField& row, std::size_t columns) {
  if (row.field == QueryField::Ping && outcome.rttMicroseconds < 0) return "-";  // no echo came back
  return ConsoleCell(outcome.*row.text, columns);
}

// A server's text is not narrowed below this on a small terminal.
constexpr std::size_t kNarrowestText = 8;

// Columns of a server's own texts (host, track, ...), which may be narrowed.
bool IsServerText(std::size_t column) { return column > 0 && kColumnsOfFields[column - 1]->consoleWidth != kWholeCell; }

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

CResultTable::CResultTable(const std::vector<CString>& addresses, std::size_t lineColumns)
    : m_widths(kColumns, kAddressLabel.size()) {
  for (const CString& address : addresses) {
    m_widths[0] = std::max(m_widths[0], DisplayWidth(ConsoleAddressCell(address)));
  }
  for (std::size_t c = 1; c < kColumns; ++c) m_widths[c] = FieldColumns(*kColumnsOfFields[c - 1]);
  FitTo(lineColumns);
}

// Takes a column at a time from the widest server text until the line fits
// or every such text is down to its narrowest.
void CResultTable::FitTo(std::size_t lineColumns) {
  std::size_t line = 0;
  for (const std::size_t width : m_widths) line += width + 2;
  while (line - 2 > lineColumns) {
    std::size_t widest = 0;
    for (std::size_t c = 1; c < kColumns; ++c) {
      if (IsServerText(c) && m_widths[c] > kNarrowestText && (widest == 0 || m_widths[c] > m_widths[widest])) {
        widest = c;
      }
    }
    if (widest == 0) return;
    --m_widths[widest];
    --line;
  }
}

std::string CResultTable::Header() const {
  std::vector<std::string> cells{std::string(kAddressLabel)};
  for (const ResultField* row : kColumnsOfFields) cells.emplace_back(row->label);
  return AlignedLine(cells, m_widths);
}

std::string CResultTable::Row(const QueryOutcome& outcome) const {
  std::vector<std::string> cells{ConsoleAddressCell(outcome.strAddress)};
  for (std::size_t c = 1; c < kColumns; ++c) cells.push_back(FieldCell(outcome, *kColumnsOfFields[c - 1], m_widths[c]));
  return AlignedLine(cells, m_widths);
}

std::string CResultTable::PendingRow(const CString& address) const {
  std::vector<std::string> cells(kColumns, std::string(kPendingCell));
  cells[0] = ConsoleAddressCell(address);
  return AlignedLine(cells, m_widths);
}

std::string CJsonArrayText::Next(const QueryOutcome& outcome) {
  const char* before = m_started ? ",\n    " : "[\n    ";
  m_started = true;
  return before + JsonObject(outcome, 1);
}

std::string CJsonArrayText::End() const { return m_started ? "\n]\n" : "[]\n"; }

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

std::string ConsoleAddressCell(const CString& address) { return CutToWidth(ConsoleAddress(address), kAddressColumns); }

std::string ConsoleCell(const CString& value, std::size_t columns) {
  return value.IsEmpty() ? "-" : CutToWidth(Shown(value), columns);
}

std::string ConsoleAddress(const CString& address) {
  const std::string shown = Shown(address);
  const bool misreadable = shown.empty() || shown.find_first_of(" :'") != std::string::npos;
  return misreadable ? "'" + shown + "'" : shown;
}
