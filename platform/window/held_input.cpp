#include "platform/window/held_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "platform/window/dialog_window.h"

namespace framework {
namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::NativeGesture:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: return true;
    default: return false;  // a shortcut override only asks the focus widget; it changes nothing
  }
}

bool IsDrag(QEvent::Type type) { return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop; }

// The top-level widget that input to `receiver` is for: the window system
// delivers to the toolkit window, code to the widget itself.
QWidget* TopLevelOf(QObject* receiver) {
  if (auto* widget = qobject_cast<QWidget*>(receiver)) return widget->window();
  if (auto* window = qobject_cast<QWindow*>(receiver)) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->windowHandle() == window) return top;
    }
  }
  return nullptr;
}

// Escape as the dialog takes it: the cancel key, pressed in a dialog that
// no modal window hides.
DialogWindow* CancelledDialog(QObject* receiver, const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return nullptr;
  if (!static_cast<const QKeyEvent*>(event)->matches(QKeySequence::Cancel)) return nullptr;
  auto* dialog = dynamic_cast<DialogWindow*>(TopLevelOf(receiver));
  const QWidget* modal = QApplication::activeModalWidget();
  return dialog != nullptr && (modal == nullptr || modal == dialog) ? dialog : nullptr;
}

bool StillShown(QObject* receiver) {
  if (auto* window = qobject_cast<QWindow*>(receiver)) return window->isVisible();
  const QWidget* top = TopLevelOf(receiver);
  return top != nullptr && top->isVisible();
}

}  // namespace

HeldInput& HeldInput::Instance() {
  static auto* instance = new HeldInput;  // lives as long as the thread's event filters can
  return *instance;
}

void HeldInput::StartCatching() {
  if (m_catching || QCoreApplication::instance() == nullptr) return;
  QCoreApplication::instance()->installEventFilter(this);
  m_catching = true;
}

void HeldInput::StopCatching() {
  if (!m_catching) return;
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
  m_catching = false;
}

void HeldInput::Release() {
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held;
  held.swap(m_held);
  for (auto& [receiver, event] : held) {
    if (receiver && StillShown(receiver.data())) QCoreApplication::postEvent(receiver.data(), event.release());
  }
}

// Of a run of pointer moves only where the pointer ended up matters.
void HeldInput::Hold(QObject* receiver, const QEvent& event) {
  const bool move = event.type() == QEvent::MouseMove;
  if (move && !m_held.empty() && m_held.back().first == receiver && m_held.back().second->type() == QEvent::MouseMove) {
    m_held.back().second.reset(event.clone());
    return;
  }
  m_held.emplace_back(QPointer<QObject>(receiver), std::unique_ptr<QEvent>(event.clone()));
}

bool HeldInput::eventFilter(QObject* receiver, QEvent* event) {
  if (IsDrag(event->type())) {
    event->ignore();  // refused: the pointer shows that nothing can be dropped
    return true;
  }
  if (!IsUserInput(event->type())) return false;
  if (DialogWindow* dialog = CancelledDialog(receiver, event)) {
    dialog->reject();
    return true;
  }
  Hold(receiver, *event);
  return true;
}

}  // namespace framework
