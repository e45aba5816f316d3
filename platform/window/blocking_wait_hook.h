#pragma once
// The framework's blocking hook: while the program's one thread waits in the
// sockets or ICMP layer, windows repaint and timers run, but user input waits
// until the handler has returned, so no handler can be re-entered.
//
// Input that arrives meanwhile (keys, clicks, the window system's too) is
// held and delivered in order once every window procedure has returned. A
// request that the waiting handler must make way for (a window's close) ends
// the wait: see DeferUntilHandlersReturn.
#include <functional>

namespace framework {

// Installs the hook for the calling (GUI) thread. With onlyIfNone, a hook
// someone else installed is kept.
void InstallBlockingHook(bool onlyIfNone = false);

// True while the hook processes events for a wait that a window procedure
// is in: a request to that window must wait for the handler.
bool HandlerWaits();

// Runs `action` once every window procedure has returned. Until then every
// blocking wait on this thread ends as interrupted (kernel::CancelBlockingCall),
// so that the handler gets there soon. For requests made while HandlerWaits().
void DeferUntilHandlersReturn(std::function<void()> action);

// Marks a window procedure as running, for as long as it lives (the window
// procedure guard makes one for every message). The last one to end runs
// what was deferred and delivers the held input.
class WindowProcedureScope {
 public:
  WindowProcedureScope();
  ~WindowProcedureScope();
  WindowProcedureScope(const WindowProcedureScope&) = delete;
  WindowProcedureScope& operator=(const WindowProcedureScope&) = delete;
};

}  // namespace framework
