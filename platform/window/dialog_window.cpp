#include "platform/window/dialog_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenuBar>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/window/blocking_wait_hook.h"
#include "platform/window/cdialog.h"
#include "platform/window/cmenu.h"
#include "platform/window/control_widgets.h"
#include "platform/window/dialog_units.h"
#include "platform/window/window_style.h"
#include "platform/window/paint.h"
#include "platform/window/qt_text.h"
#include "platform/window/system_menu.h"

namespace framework {

// The dialog's client area. It receives WM_PAINT only when part of the
// dialog itself needs painting: a control repainting itself shows through
// here in the toolkit, but on the platform it does not repaint the dialog.
class ClientArea : public QWidget {
 public:
  explicit ClientArea(DialogWindow* window) : QWidget(window), m_window(window) { setAutoFillBackground(true); }

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (RegionUnderControls(event->region())) return;
    PaintScope scope(this);
    m_window->dispatch(WM_PAINT, 0, 0);
  }

  void contextMenuEvent(QContextMenuEvent* event) override { m_window->showSystemMenu(event->globalPos()); }

 private:
  bool RegionUnderControls(const QRegion& region) const {
    QRegion controls;
    for (const QObject* child : children()) {
      const auto* widget = dynamic_cast<const QWidget*>(child);
      if (widget == nullptr || !widget->isVisible() || widget->property(kControlIdProperty).isNull()) continue;
      if (widget->testAttribute(Qt::WA_TransparentForMouseEvents)) continue;  // group boxes are see-through
      controls += widget->geometry();
    }
    return (region - controls).isEmpty();
  }

  DialogWindow* m_window;
};

namespace {

Qt::WindowFlags FlagsOf(const DialogTemplate& dialog) {
  Qt::WindowFlags flags = (dialog.exStyle & WS_EX_APPWINDOW) != 0 ? Qt::Window : Qt::Dialog;
  flags |= Qt::CustomizeWindowHint;
  if ((dialog.style & WS_CAPTION) == WS_CAPTION) flags |= Qt::WindowTitleHint;
  if ((dialog.style & WS_SYSMENU) != 0) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if ((dialog.style & WS_MINIMIZEBOX) != 0) flags |= Qt::WindowMinimizeButtonHint;
  if ((dialog.style & WS_MAXIMIZEBOX) != 0) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

}  // namespace

DialogWindow::DialogWindow(CDialog* owner, const DialogTemplate& dialog, QWidget* parent)
    : QDialog(parent, FlagsOf(dialog)), m_owner(owner), m_client(new ClientArea(this)) {
  UseWindowStyle();
  setWindowTitle(ToQString(dialog.caption));
  setFont(DialogFont(dialog));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  if (dialog.menuId != 0) buildMenuBar(dialog.menuId);
  layout->addWidget(m_client);
  const QRect size = DialogUnitsToPixels(0, 0, dialog.cx, dialog.cy, BaseUnitsOf(font()));
  m_client->setFixedSize(size.size());
  auto* systemMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
  QObject::connect(systemMenuKey, &QShortcut::activated, this,
                   [this] { showSystemMenu(m_client->mapToGlobal(QPoint(0, 0))); });
}

QWidget* DialogWindow::client() const { return m_client; }

void DialogWindow::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_owner != nullptr) m_owner->SendMessage(message, wParam, lParam);
}

void DialogWindow::showSystemMenu(const QPoint& globalPos) {
  if (m_owner != nullptr) ShowSystemMenu(*m_owner, *m_owner->GetSystemMenu(FALSE), globalPos);
}

void DialogWindow::placeCentred() {
  layout()->activate();
  adjustSize();
  const QWidget* parent = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  const QScreen* on = parent != nullptr ? parent->screen() : screen();
  if (on == nullptr) return;
  const QRect area = parent != nullptr && parent->isVisible() ? parent->geometry() : on->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
}

void DialogWindow::buildMenuBar(UINT menuId) {
  const MenuTemplate* menu = FindMenuTemplate(menuId);
  if (menu == nullptr) return;
  m_menuBar = new QMenuBar(this);
  m_menuBar->setNativeMenuBar(false);  // in the window, as on the platform
  layout()->setMenuBar(m_menuBar);
  const auto addCommand = [this](QWidget* container, const auto& item) {
    auto* action = new QAction(ToQString(item.text), container);
    container->addAction(action);
    const UINT id = item.id;
    // Sent once the menu has closed; the window may be gone by then.
    QPointer<DialogWindow> self(this);
    QObject::connect(action, &QAction::triggered, this, [self, id] {
      QMetaObject::invokeMethod(
          self.data(),
          [self, id] {
            if (self) self->dispatch(WM_COMMAND, MAKEWPARAM(id, 0), 0);
          },
          Qt::QueuedConnection);
    });
  };
  for (const MenuItemTemplate& top : menu->items) {
    if (top.popup.empty()) {
      addCommand(m_menuBar, top);
      continue;
    }
    QMenu* popup = m_menuBar->addMenu(ToQString(top.text));
    for (const MenuCommandTemplate& item : top.popup) {
      if (item.text == nullptr) {
        popup->addSeparator();
      } else {
        addCommand(popup, item);
      }
    }
  }
}

void DialogWindow::requestClose(UINT message, WPARAM wParam) {
  if (!HandlerWaits()) {
    dispatch(message, wParam, 0);
    return;
  }
  if (m_pendingClose) return;  // one is on its way
  m_pendingClose = Message{message, wParam, 0};
  QPointer<DialogWindow> self(this);
  DeferUntilHandlersReturn([self] {
    if (self) self->sendPendingClose();
  });
}

void DialogWindow::sendPendingClose() {
  if (!m_pendingClose) return;
  const Message request = *m_pendingClose;
  m_pendingClose.reset();
  dispatch(request.message, request.wParam, request.lParam);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The close box is the system menu's Close; the dialog ends itself, if at all.
  event->ignore();
  requestClose(WM_SYSCOMMAND, SC_CLOSE);
}

void DialogWindow::reject() { requestClose(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)); }

void DialogWindow::accept() { dispatch(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

}  // namespace framework
