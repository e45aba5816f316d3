#pragma once
// The window's system menu. Linux window managers own the title-bar menu, so
// the framework shows it as a context menu of the dialog: on a right-click of
// the dialog background and on Alt+Space.
#include "platform/window/window_defs.h"

class CMenu;
class CWnd;
class QMenu;
class QPoint;

namespace framework {

// The standard window items: Restore, Move, Size, Minimize, Maximize, a separator and Close.
void AppendStandardSystemItems(CMenu& menu);

// Pops up the menu at a global position; a chosen item is sent to the window
// as WM_SYSCOMMAND once the menu has closed. Returns the shown menu.
QMenu* ShowSystemMenu(CWnd& wnd, const CMenu& menu, const QPoint& globalPos);

}  // namespace framework
