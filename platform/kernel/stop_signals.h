#pragma once
#include <string_view>

namespace kernel {

// For a console program that has something to say before it ends: after
// CatchStopSignals, SIGINT, SIGTERM and SIGHUP no longer end the process at
// once. The first one is kept, and every blocking wait of the process ends
// as interrupted (EINTR, WSAEINTR) within one wait slice, so the program can
// write what it has and then end by the signal. A second one ends the
// process at once, as the signal does.
void CatchStopSignals();

// The stop signal caught, or 0 while none came.
int CaughtStopSignal();

// Bytes written to standard output when a second stop signal ends the
// process at once (a terminal's screen put back as it was); at most 63
// bytes, empty for none. Not used on Windows, whose console keeps no
// screen mode of the program's.
void SetWordsOnAbruptStop(std::string_view text);

// Ends the process as the caught signal does (a shell sees the status
// 128 + signal). Does nothing when no signal was caught.
void EndByCaughtSignal();

}  // namespace kernel
