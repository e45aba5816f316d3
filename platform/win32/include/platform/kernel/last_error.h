#pragma once
// GetLastError and SetLastError are the system's.
#include "platform/kernel/windef.h"

namespace kernel {
// Translates a C library errno value to the system's error number.
DWORD SystemErrorFromErrno(int err);
}  // namespace kernel
