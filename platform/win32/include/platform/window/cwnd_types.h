#pragma once
// What cwnd_members.h names: the system's own window handles.
#include "platform/window/window_defs.h"
