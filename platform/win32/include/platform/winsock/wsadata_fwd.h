#pragma once
// The system's start-up record, under the name the POSIX build declares.
#include "platform/kernel/windef.h"

namespace winsock {
using ::WSAData;
}  // namespace winsock
