#pragma once
#include <QByteArray>

#include "ui/query_runner.h"

// The result of a query from the command line, as UTF-8. The dialog's texts
// are 8-bit and shown as Latin-1, so they are read that way here too.

// One line per field: the name, a tab, the value. Control characters in a
// value (a server's text could carry line breaks or terminal escapes) are
// written as '?', so every field stays on its own line.
QByteArray QueryResultText(const ServerQueryOutcome& outcome);

// One JSON object: address, ping_ms (a number), host, track, players, type,
// session, time_left, messages (in the order shown) and detected.
QByteArray QueryResultJson(const ServerQueryOutcome& outcome);

// A message text as one line for standard error.
QByteArray QueryMessageLine(const CString& message);
