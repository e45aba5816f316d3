#include "platform/kernel/blocking_hook.h"

#include <utility>

#include "platform/kernel/stop_signals.h"

namespace {
thread_local BLOCKINGHOOKPROC t_hook = nullptr;
thread_local bool t_inHook = false;
thread_local bool t_cancelled = false;
}  // namespace

namespace kernel {

BLOCKINGHOOKPROC SetBlockingHook(BLOCKINGHOOKPROC hook) {
  BLOCKINGHOOKPROC previous = t_hook;
  t_hook = hook;
  return previous;
}

BLOCKINGHOOKPROC GetBlockingHook() { return t_hook; }

void CallBlockingHook() {
  // A hook that itself waits must not recurse into the hook.
  if (t_hook == nullptr || t_inHook) return;
  t_inHook = true;
  t_hook();
  t_inHook = false;
}

void CancelBlockingCall() { t_cancelled = true; }

bool TakeBlockingCallCancel() { return std::exchange(t_cancelled, false) || CaughtStopSignal() != 0; }

}  // namespace kernel
