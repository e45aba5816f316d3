#pragma once
// The window that owns a message box: a toolkit widget here; the system's
// window handle where the window services are the system's own.
class QWidget;

namespace framework {
using MessageBoxOwner = QWidget*;
}
