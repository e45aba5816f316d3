#pragma once
// GlobalAlloc, GlobalLock, GlobalUnlock, GlobalFree and GlobalHandle are the
// system's.
#include "platform/kernel/windef.h"
