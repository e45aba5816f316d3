// The system's message box behind the framework's message boxes.
#include <string>
#include <vector>

#include "platform/framework/message_box.h"
#include "platform/window/cwinapp.h"
#include "platform/window/cwnd.h"
#include "platform/window/window_text.h"

namespace framework {
namespace {

// Keys typed while a handler waited stay queued for the window they were
// typed in; the box's own loop would take them (a Return or a Space answers
// it before it is seen). They wait until the box is answered, then go to
// their window as they would have.
class HeldKeys {
 public:
  HeldKeys() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) m_keys.push_back(msg);
  }
  ~HeldKeys() {
    for (const MSG& msg : m_keys) ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
  }
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

 private:
  std::vector<MSG> m_keys;
};

bool ShowSystemMessageBox(const MessageBoxRequest& request, int* answer) {
  const std::wstring text = DisplayWide(request.text);
  const std::wstring caption = DisplayWide(request.caption);
  const HeldKeys held;
  *answer = ::MessageBoxW(request.owner, text.c_str(), caption.c_str(), request.type);
  return *answer != 0;
}

HWND MainWindow() {
  const CWinApp* app = AfxGetApp();
  return app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->m_hWnd : nullptr;
}

}  // namespace
}  // namespace framework

// Keeps this object file, and so the registration below, in every program
// that links the window services.
extern "C" {
int vq_toolkit_message_box_anchor = 0;
}

namespace {

const bool kRegistered = [] {
  framework::SetToolkitMessageBox({&framework::ShowSystemMessageBox, &framework::MainWindow});
  return true;
}();

}  // namespace
