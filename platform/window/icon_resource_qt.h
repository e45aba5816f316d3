#pragma once
// Toolkit side of icon handles: an HICON points to one of these.
#include <QIcon>

#include "platform/window/window_defs.h"

struct HICON__ {
  QIcon icon;
};

namespace framework {
QIcon ToQIcon(HICON icon);  // an empty icon for null
}
