#pragma once
// The message-box styles and answers are the system's.
#include "platform/kernel/windef.h"
