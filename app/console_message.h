#pragma once
#include <string>
#include <string_view>

#include "platform/framework/cstring.h"

// A message of a query as the console prints it on standard error: one
// line, with its line end. A socket failure's text ("SendDatagram error
// #10051") gets the words for its number after it ("SendDatagram error
// #10051: network is unreachable"); the dialog's message boxes show the
// bare text.
std::string ConsoleMessageLine(const CString& message);
// The same, after the address it concerns: "<address>: <message>", the
// address named as ConsoleAddress does ("'': Invalid server address").
std::string ConsoleMessageLine(const CString& address, const CString& message);

// What a Windows Sockets error number means, in lower case as strerror
// words it; empty for a number that is not one.
std::string_view SocketErrorWords(long error);
