#pragma once
// The error a look-up without an answer leaves, as this system's resolver
// gives it: the socket class keeps whatever its resolver reported.
#include "platform/kernel/windef.h"
#include "platform/winsock/winsock.h"

namespace nettest {

DWORD ReverseMissError(const char* dotted);
DWORD NameMissError(const char* name);

}  // namespace nettest
