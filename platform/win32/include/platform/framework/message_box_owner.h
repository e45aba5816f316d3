#pragma once
// The window that owns a message box: a window of the system.
#include "platform/kernel/windef.h"

namespace framework {
using MessageBoxOwner = HWND;
}
