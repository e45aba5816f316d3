#pragma once
// Window messages, styles and geometry come from the system's headers.
#include "platform/kernel/windef.h"
// The common controls' messages (the progress bar's); after windows.h.
#include <commctrl.h>
