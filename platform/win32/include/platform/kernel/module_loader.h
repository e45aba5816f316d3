#pragma once
// LoadLibraryA, GetProcAddress and FreeLibrary are the system's loader.
#include "platform/kernel/windef.h"
