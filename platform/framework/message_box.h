#pragma once
#include <functional>
#include <utility>

#include "platform/framework/cstring.h"
#include "platform/framework/message_box_owner.h"
#include "platform/framework/message_box_styles.h"
#include "platform/kernel/windef.h"

namespace framework {

struct MessageBoxRequest {
  MessageBoxOwner owner;  // null: no owner window
  CString text;
  CString caption;
  UINT type;
};

// Every message box of the program goes through this one function. The
// default shows the toolkit's modal message box where the window services
// are linked and a GUI application exists, and writes "caption: text" to
// standard error otherwise; tests and the command line install their own.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
int ShowMessageBox(const MessageBoxRequest& request);
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Puts `handler` behind every message box while alive; the handler before
// it comes back afterwards.
class ScopedMessageBoxHandler {
 public:
  explicit ScopedMessageBoxHandler(MessageBoxHandler handler) : m_previous(SetMessageBoxHandler(std::move(handler))) {}
  ~ScopedMessageBoxHandler() { SetMessageBoxHandler(std::move(m_previous)); }
  ScopedMessageBoxHandler(const ScopedMessageBoxHandler&) = delete;
  ScopedMessageBoxHandler& operator=(const ScopedMessageBoxHandler&) = delete;

 private:
  MessageBoxHandler m_previous;
};

// What the window services put behind the message boxes: the toolkit's
// modal box (false when no GUI application exists) and the main window
// that owns AfxMessageBox's boxes. Without them, boxes go to standard error.
struct ToolkitMessageBox {
  bool (*show)(const MessageBoxRequest& request, int* answer) = nullptr;
  MessageBoxOwner (*mainWindow)() = nullptr;
};
void SetToolkitMessageBox(const ToolkitMessageBox& presenter);
MessageBoxOwner MainWindowWidget();  // null without window services or main window

// The application's name, the caption of message boxes without one.
void SetAppName(LPCSTR name);
LPCSTR GetAppName();

}  // namespace framework

// Message box owned by the application's main window; the caption is the
// application's name. With no icon given, an exclamation icon is shown.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));
