#pragma once
// User input held back while a handler waits.
#include <QObject>
#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

class QEvent;

namespace framework {

// While catching, every user-input event of the application (the window
// system's, delivered to its windows, and events that code sends to
// widgets) is kept instead of delivered, in the order it came. Release posts
// the kept events to their receivers, skipping receivers that have gone or
// whose window no longer shows. Two kinds of input are answered at once
// instead: Escape to a dialog is its cancel request, and a drag over a
// window is refused, so that nothing is dropped into a field meanwhile.
class HeldInput : public QObject {
 public:
  static HeldInput& Instance();

  void StartCatching();
  void StopCatching();
  void Release();

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  HeldInput() = default;
  void Hold(QObject* receiver, const QEvent& event);

  bool m_catching = false;
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_held;
};

// Catches user input for one wait slice.
class InputCatch {
 public:
  InputCatch() { HeldInput::Instance().StartCatching(); }
  ~InputCatch() { HeldInput::Instance().StopCatching(); }
  InputCatch(const InputCatch&) = delete;
  InputCatch& operator=(const InputCatch&) = delete;
};

}  // namespace framework
