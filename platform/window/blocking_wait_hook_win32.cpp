#include "platform/window/blocking_wait_hook.h"

#include <utility>
#include <vector>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/windef.h"

namespace framework {
namespace {

int g_procedureDepth = 0;
bool g_runningDeferred = false;

std::vector<std::function<void()>>& Deferred() {
  static auto* actions = new std::vector<std::function<void()>>;
  return *actions;
}

void RunDeferred() {
  if (g_runningDeferred || Deferred().empty()) return;
  g_runningDeferred = true;
  std::vector<std::function<void()>> actions;
  actions.swap(Deferred());
  kernel::TakeBlockingCallCancel();  // a cancel that no wait took was made for these
  for (const std::function<void()>& action : actions) action();
  g_runningDeferred = false;
}

// A queue that keeps being painted (a window that never validates) must not
// hold the wait; the next slice paints on.
constexpr int kMessagesPerSlice = 64;

// Paint and timer messages only: the filter leaves keys, clicks and the
// window system's requests in the queue until the handler has returned, so
// no handler can be re-entered. Messages sent from other threads are
// delivered by any peek.
BOOL ProcessPaintAndTimers() {
  MSG msg{};
  BOOL processed = FALSE;
  for (const UINT message : {WM_PAINT, WM_TIMER}) {
    for (int i = 0; i < kMessagesPerSlice && ::PeekMessageW(&msg, nullptr, message, message, PM_REMOVE); ++i) {
      ::DispatchMessageW(&msg);
      processed = TRUE;
    }
  }
  return processed;
}

// What a user does to close a window (the close box, the window manager's
// or the system menu's Close, Alt+F4, Esc) arrives as input or a system
// command, which stay queued while the handler waits. One at the head of its
// kind becomes its window's WM_CLOSE.
bool IsCloseGesture(const MSG& msg) {
  switch (msg.message) {
    case WM_SYSCOMMAND: return (msg.wParam & 0xFFF0) == SC_CLOSE;
    case WM_NCLBUTTONDOWN: return msg.wParam == HTCLOSE;
    case WM_SYSKEYDOWN: return msg.wParam == VK_F4;
    case WM_KEYDOWN: return msg.wParam == VK_ESCAPE;
    default: return false;
  }
}

void TakeCloseGestures() {
  for (const UINT message : {WM_SYSCOMMAND, WM_NCLBUTTONDOWN, WM_SYSKEYDOWN, WM_KEYDOWN}) {
    MSG msg{};
    if (!::PeekMessageW(&msg, nullptr, message, message, PM_NOREMOVE) || !IsCloseGesture(msg)) continue;
    const HWND window = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (window == nullptr) continue;
    ::PeekMessageW(&msg, msg.hwnd, message, message, PM_REMOVE);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
}

// A close request stays queued with the input, but it must not wait for the
// handler as the input does: the wait ends as interrupted, and the handler,
// seeing the request (CDialog::closeRequested), stops and returns; the
// window closes then.
BOOL WaitHook() {
  const BOOL processed = ProcessPaintAndTimers();
  TakeCloseGestures();
  MSG msg{};
  if (::PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) kernel::CancelBlockingCall();
  return processed;
}

}  // namespace

void InstallBlockingHook(bool onlyIfNone) {
  if (onlyIfNone && kernel::GetBlockingHook() != nullptr) return;
  kernel::SetBlockingHook(&WaitHook);
}

// No request reaches a window while its handler waits: the input stays queued.
bool HandlerWaits() { return false; }

void DeferUntilHandlersReturn(std::function<void()> action) {
  Deferred().push_back(std::move(action));
  if (g_procedureDepth == 0) RunDeferred();
}

WindowProcedureScope::WindowProcedureScope() { ++g_procedureDepth; }

WindowProcedureScope::~WindowProcedureScope() {
  if (--g_procedureDepth == 0) RunDeferred();
}

}  // namespace framework
