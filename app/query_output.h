#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/framework/cstring.h"
#include "query/query_outcome.h"

// The results of queries as the command line prints them, in UTF-8. The
// program's texts are 8-bit: valid UTF-8 shows as such, other bytes as
// Windows-1252. Control, bidirectional and invisible characters in a value
// (a server's text could carry line breaks, terminal escapes or a
// right-to-left override) print as U+FFFD in the text forms, as the dialog
// shows them (framework::SafeDisplayText), and as escapes in JSON.

// The result fields' names, JSON keys and console columns are those of
// their table (query/result_fields.h).

// One server: one line per field, the name, a tab, the value; ADDRESS first.
std::string QueryResultText(const QueryOutcome& outcome);

// One server: one JSON object with address, each result field under its key
// (ping_ms a number), rtt_ms (microsecond resolution, null without an echo),
// messages (in the order shown) and detected, members in the order of their
// names.
std::string QueryResultJson(const QueryOutcome& outcome);

// One server on one line (--json-lines): the members of QueryResultJson
// and `extraMembers` (name, JSON value), in the order of their names.
std::string QueryResultJsonLine(const QueryOutcome& outcome,
                                std::vector<std::pair<std::string_view, std::string>> extraMembers);

// Several servers as a table: a header and one line per server in aligned
// columns, ADDRESS first; an empty value, and PING without an echo, shows as
// "-". The columns are fixed before any server answers, from the addresses
// to ask (their widest, cut at 40 columns) and the field table's console
// widths, so that rows can be printed, or drawn in place, one at a time as
// servers are done. Long addresses and server texts are cut with "…", so
// that one long cell cannot push the others.
class CResultTable {
 public:
  // `lineColumns`: the width the lines should fit in (a terminal's); the
  // server texts' columns are narrowed to fit it, down to a few columns each.
  explicit CResultTable(const std::vector<CString>& addresses, std::size_t lineColumns = SIZE_MAX);
  // The lines, without their line ends.
  std::string Header() const;
  std::string Row(const QueryOutcome& outcome) const;
  // A server not yet done: "…" in each of its fields' cells.
  std::string PendingRow(const CString& address) const;

 private:
  void FitTo(std::size_t lineColumns);

  std::vector<std::size_t> m_widths;  // ADDRESS, then each field's column
};

// Several servers: a JSON array of the objects above, written an object at a
// time in the order given.
class CJsonArrayText {
 public:
  // The next object, after the array's opening or the comma after the last.
  std::string Next(const QueryOutcome& outcome);
  // What closes the array ("[]" when it got no object), with its line end.
  std::string End() const;

 private:
  bool m_started = false;
};

// A text of the program as one line for the terminal, with its line end.
std::string ConsoleLine(const CString& text);
// A line of the saved-address list, as the dialog's list draws it: its tabs
// and line ends as blanks.
std::string ConsoleListLine(const CString& text);
// A text of several lines, each shown as ConsoleLine shows one.
std::string ConsoleLines(const CString& text);

// An address as the console names it: in single quotes when it is empty or
// holds a space, a colon or a quote, so that its ends show ("''").
std::string ConsoleAddress(const CString& address);

// The cells of the console's tables: an address cut at 40 columns (a dotted
// quad takes 15, a host name rarely more than 40), so that one long cell
// cannot widen every row; a server's text as shown, cut to `columns`, "-"
// when empty.
std::string ConsoleAddressCell(const CString& address);
std::string ConsoleCell(const CString& value, std::size_t columns);
