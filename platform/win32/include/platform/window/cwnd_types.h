#pragma once
// What the window classes' system parts (cwnd_members.h, cdialog_members.h)
// name: the system's own window handles.
#include "platform/window/window_defs.h"
