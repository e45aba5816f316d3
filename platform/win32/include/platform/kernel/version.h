#pragma once
// GetVersionExA is the system's.
#include "platform/kernel/windef.h"
