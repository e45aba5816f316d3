#include "platform/window/blocking_wait_hook.h"

#include <QCoreApplication>
#include <utility>
#include <vector>

#include "platform/kernel/blocking_hook.h"
#include "platform/window/held_input.h"

namespace framework {
namespace {

int g_waitDepth = 0;
int g_procedureDepth = 0;
bool g_handlerWaits = false;
bool g_runningDeferred = false;

std::vector<std::function<void()>>& Deferred() {
  static auto* actions = new std::vector<std::function<void()>>;
  return *actions;
}

// Every window procedure has returned and nothing waits: what was deferred
// runs, then the held input goes to its windows (a window that closed gets
// none). A cancel that no wait took was made for what just ran.
void RunDeferred() {
  if (g_runningDeferred) return;
  g_runningDeferred = true;
  std::vector<std::function<void()>> actions;
  actions.swap(Deferred());
  if (!actions.empty()) kernel::TakeBlockingCallCancel();
  for (const std::function<void()>& action : actions) action();
  HeldInput::Instance().Release();
  g_runningDeferred = false;
}

// All events are processed, the window system's input too, so that a close
// request is seen at once; the input itself is held (HeldInput).
BOOL ProcessEventsHoldingInput() {
  if (QCoreApplication::instance() == nullptr) return FALSE;
  const bool outerHandlerWaits = std::exchange(g_handlerWaits, g_procedureDepth > 0);
  ++g_waitDepth;
  {
    const InputCatch catching;
    QCoreApplication::processEvents();
  }
  --g_waitDepth;
  g_handlerWaits = outerHandlerWaits;
  // No wait may outlast a request that a handler must make way for, also
  // one that follows a wait that ended for it.
  if (!Deferred().empty()) kernel::CancelBlockingCall();
  // Waiting outside any handler: the input can go once this slice is over.
  if (g_procedureDepth == 0) HeldInput::Instance().Release();
  return TRUE;
}

}  // namespace

void InstallBlockingHook(bool onlyIfNone) {
  if (onlyIfNone && kernel::GetBlockingHook() != nullptr) return;
  kernel::SetBlockingHook(&ProcessEventsHoldingInput);
}

bool HandlerWaits() { return g_waitDepth > 0 && g_handlerWaits; }

void DeferUntilHandlersReturn(std::function<void()> action) {
  Deferred().push_back(std::move(action));
  kernel::CancelBlockingCall();
}

WindowProcedureScope::WindowProcedureScope() { ++g_procedureDepth; }

WindowProcedureScope::~WindowProcedureScope() {
  if (--g_procedureDepth == 0 && g_waitDepth == 0) RunDeferred();
}

}  // namespace framework
