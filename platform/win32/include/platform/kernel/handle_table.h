#pragma once
#include "platform/kernel/handle_wait.h"

namespace kernel {
// No handle to wait on (INVALID_SOCKET).
constexpr WaitHandle kNoHandle = ~WaitHandle{0};
}  // namespace kernel
