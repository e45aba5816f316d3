// The system's message box behind the framework's message boxes.
#include <string>

#include "platform/framework/message_box.h"
#include "platform/window/cwinapp.h"
#include "platform/window/cwnd.h"
#include "platform/window/window_text.h"

namespace framework {
namespace {

bool ShowSystemMessageBox(const MessageBoxRequest& request, int* answer) {
  const std::wstring text = DisplayWide(request.text);
  const std::wstring caption = DisplayWide(request.caption);
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
