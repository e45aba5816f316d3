#pragma once
// What the window classes' system parts (cwnd_members.h, cdialog_members.h)
// name, over the widget toolkit.
#include "platform/window/widget_ref.h"

class QWidget;

namespace framework {
class DialogWindow;
}  // namespace framework
