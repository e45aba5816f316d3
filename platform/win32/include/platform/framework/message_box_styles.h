#pragma once
// Message-box styles and answers: the system's own.
#include "platform/kernel/windef.h"
