#pragma once
// The seven result fields of a query, in one table that everything showing
// them reads: the main dialog (its control ids, labels, data exchange and
// field updates), the recorder, the many-server batch, and the command
// line's text, table and JSON forms. What is known of a field is kept here
// alone; only where the dialog draws its edit and label is the dialog
// template's (ui/resources.cpp).
#include <array>
#include <cstddef>
#include <optional>

#include "platform/framework/cstring.h"
#include "protocol/status_reply.h"

// The fields a query fills, besides the address it was given.
enum class QueryField { Ping, Host, Track, Players, Type, Session, TimeLeft };

// The fields' texts. The main dialog and a QueryOutcome both hold them, so
// they carry the names of the dialog's strings.
struct ResultStrings {
  CString m_strPing;
  CString m_strHost;
  CString m_strTrack;
  CString m_strPlayers;
  CString m_strType;
  CString m_strSession;
  CString m_strTimeLeft;
};

// A console table cell shown whole: the program's own short texts.
inline constexpr std::size_t kWholeCell = static_cast<std::size_t>(-1);

struct ResultField {
  QueryField field;
  CString ResultStrings::*text;        // where its text lives
  std::optional<StatusField> decoded;  // the part of a status reply it shows; PING is the echo's
  const char* label;                   // beside its edit control, and its name on the console
  int controlId;                       // the dialog's edit control
  const char* jsonKey;
  std::size_t exchangePlace;  // in the dialog's data exchange, after the address
  std::size_t consoleColumn;  // in the console table, after ADDRESS
  std::size_t consoleWidth;   // the widest its cell gets there, in columns
};

// In the order of QueryField, which is the console text form's. A server's
// texts are cut in the console table where they would push the columns after
// them off a terminal's line; a host name or track rarely needs more than 32
// columns.
// clang-format off
inline constexpr std::array<ResultField, 7> kResultFields = {{
    // field              text                          decoded from           label        id    JSON key     DDX  column width
    {QueryField::Ping,     &ResultStrings::m_strPing,     std::nullopt,          "PING",      1016, "ping_ms",   6,   0,     kWholeCell},
    {QueryField::Host,     &ResultStrings::m_strHost,     StatusField::Host,     "HOST",      1003, "host",      0,   5,     32},
    {QueryField::Track,    &ResultStrings::m_strTrack,    StatusField::Track,    "TRACK",     1004, "track",     4,   6,     32},
    {QueryField::Players,  &ResultStrings::m_strPlayers,  StatusField::Players,  "PLAYERS",   1005, "players",   3,   1,     16},
    {QueryField::Type,     &ResultStrings::m_strType,     StatusField::Type,     "TYPE",      1006, "type",      1,   2,     kWholeCell},
    {QueryField::Session,  &ResultStrings::m_strSession,  StatusField::Session,  "SESSION",   1007, "session",   2,   3,     16},
    {QueryField::TimeLeft, &ResultStrings::m_strTimeLeft, StatusField::TimeLeft, "TIME_LEFT", 1015, "time_left", 5,   4,     kWholeCell},
}};
// clang-format on

using ResultFieldOrder = std::array<const ResultField*, kResultFields.size()>;

constexpr const ResultField& ResultFieldOf(QueryField field) { return kResultFields[static_cast<std::size_t>(field)]; }

// The rows in the order of one of their places (exchangePlace, consoleColumn).
constexpr ResultFieldOrder ResultFieldsBy(std::size_t ResultField::*place) {
  ResultFieldOrder rows{};
  for (const ResultField& row : kResultFields) rows[row.*place] = &row;
  return rows;
}

// The field a decoded part of a status reply goes to.
QueryField FieldOf(StatusField decoded);

CString& ResultText(ResultStrings& strings, QueryField field);
void EmptyResults(ResultStrings& strings);
