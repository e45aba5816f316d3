#pragma once
#include "platform/kernel/windef.h"

// One thread-local value serves the system's and the sockets library's last
// error, as on the original platform.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

namespace kernel {
// Translates a POSIX errno value to the platform's system error number.
DWORD SystemErrorFromErrno(int err);
}  // namespace kernel
