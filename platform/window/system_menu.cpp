#include "platform/window/system_menu.h"

#include <QMenu>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include "platform/window/cmenu.h"
#include "platform/window/cwnd.h"
#include "platform/window/qt_text.h"

namespace framework {
namespace {

// Whether a standard item applies to the window in its current state.
bool StandardItemEnabled(UINT id, const QWidget& window) {
  const bool minimized = window.isMinimized();
  const bool maximized = window.isMaximized();
  const bool fixedSize = window.minimumSize() == window.maximumSize();
  const Qt::WindowFlags flags = window.windowFlags();
  switch (id) {
    case SC_RESTORE: return minimized || maximized;
    case SC_MOVE: return !minimized && !maximized;
    case SC_SIZE: return !minimized && !maximized && !fixedSize;
    case SC_MINIMIZE: return !minimized && flags.testFlag(Qt::WindowMinimizeButtonHint);
    case SC_MAXIMIZE: return !maximized && !fixedSize && flags.testFlag(Qt::WindowMaximizeButtonHint);
    default: return true;
  }
}

}  // namespace

void AppendStandardSystemItems(CMenu& menu) {
  menu.AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
  menu.AppendMenu(MF_STRING, SC_MOVE, "&Move");
  menu.AppendMenu(MF_STRING, SC_SIZE, "&Size");
  menu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
  menu.AppendMenu(MF_STRING, SC_MAXIMIZE, "Ma&ximize");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
}

QMenu* ShowSystemMenu(CWnd& wnd, const CMenu& menu, const QPoint& globalPos) {
  QWidget* window = wnd.widget() != nullptr ? wnd.widget()->window() : nullptr;
  if (window == nullptr) return nullptr;
  auto* popup = new QMenu(window);
  popup->setObjectName("systemMenu");
  popup->setAttribute(Qt::WA_DeleteOnClose);
  for (const CMenu::Item& item : menu.items()) {
    if ((item.flags & MF_SEPARATOR) != 0) {
      popup->addSeparator();
      continue;
    }
    QAction* action = popup->addAction(ToQString(item.text));
    action->setData(item.id);
    const bool grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    action->setEnabled(!grayed && StandardItemEnabled(item.id, *window));
    // Sent after the menu has closed, as the platform does; the window may be gone by then.
    QPointer<QWidget> guard(window);
    CWnd* target = &wnd;
    const UINT id = item.id;
    QObject::connect(action, &QAction::triggered, window, [guard, target, id] {
      QMetaObject::invokeMethod(
          guard.data(),
          [guard, target, id] {
            if (guard) target->SendMessage(WM_SYSCOMMAND, id, 0);
          },
          Qt::QueuedConnection);
    });
  }
  popup->popup(globalPos);
  return popup;
}

}  // namespace framework
