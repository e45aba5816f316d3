#include "platform/window/blocking_wait_hook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

#include "platform/kernel/blocking_hook.h"

namespace framework {
namespace {

int g_waitDepth = 0;

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: return true;
    default: return false;
  }
}

// Input from the window system stays queued under ExcludeUserInputEvents;
// input posted by other code would still be delivered, so it is held back
// here and posted again after the wait slice.
class InputDeferral : public QObject {
 public:
  InputDeferral() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputDeferral() override {
    QCoreApplication::instance()->removeEventFilter(this);
    for (auto& [receiver, event] : m_held) {
      if (receiver) QCoreApplication::postEvent(receiver.data(), event.release());
    }
  }
  InputDeferral(const InputDeferral&) = delete;
  InputDeferral& operator=(const InputDeferral&) = delete;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!IsUserInput(event->type())) return false;
    m_held.emplace_back(QPointer<QObject>(receiver), std::unique_ptr<QEvent>(event->clone()));
    return true;
  }

 private:
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_held;
};

BOOL ProcessEventsExceptInput() {
  if (QCoreApplication::instance() == nullptr) return FALSE;
  ++g_waitDepth;
  {
    InputDeferral deferral;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  --g_waitDepth;
  return TRUE;
}

}  // namespace

void InstallBlockingHook(bool onlyIfNone) {
  if (onlyIfNone && kernel::GetBlockingHook() != nullptr) return;
  kernel::SetBlockingHook(&ProcessEventsExceptInput);
}

bool InBlockingWait() { return g_waitDepth > 0; }

}  // namespace framework
