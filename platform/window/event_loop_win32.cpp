#include "platform/window/event_loop.h"

#include "platform/kernel/windef.h"

namespace framework {

// The exit code is the one PostQuitMessage gave; a failing GetMessageW ends
// the loop with 0.
int RunEventLoop() {
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace framework
