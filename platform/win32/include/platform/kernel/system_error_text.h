#pragma once
#include <string>

#include "platform/kernel/windef.h"

namespace kernel {
// The system's text for an error number, without the line end and the
// closing full stop; empty when it has none.
std::string SystemErrorText(DWORD error);
}  // namespace kernel
