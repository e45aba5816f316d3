#include "platform/framework/message_box.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace framework {
namespace {

int DefaultHandlerWithoutGui(const MessageBoxRequest& request) {
  std::fprintf(stderr, "%s: %s\n", static_cast<LPCSTR>(request.caption), static_cast<LPCSTR>(request.text));
  return IDOK;
}

MessageBoxHandler& handler() {
  static MessageBoxHandler* installed = new MessageBoxHandler;
  return *installed;
}

std::string& appName() {
  static std::string* name = new std::string("Veloxa Quillmar");
  return *name;
}

}  // namespace

ToolkitMessageBox& toolkit() {
  static ToolkitMessageBox* box = new ToolkitMessageBox;
  return *box;
}

int ShowMessageBox(const MessageBoxRequest& request) {
  MessageBoxRequest filled = request;
  if (filled.caption.IsEmpty()) filled.caption = GetAppName();
  if (handler()) return handler()(filled);
  int answer = IDOK;
  if (toolkit().show != nullptr && toolkit().show(filled, &answer)) return answer;
  return DefaultHandlerWithoutGui(filled);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler newHandler) {
  MessageBoxHandler previous = std::move(handler());
  handler() = std::move(newHandler);
  return previous;
}

void SetToolkitMessageBox(const ToolkitMessageBox& presenter) { toolkit() = presenter; }

MessageBoxOwner MainWindowWidget() { return toolkit().mainWindow != nullptr ? toolkit().mainWindow() : nullptr; }

void SetAppName(LPCSTR name) { appName() = name != nullptr ? name : ""; }

LPCSTR GetAppName() { return appName().c_str(); }

}  // namespace framework

namespace {
UINT WithDefaultIcon(UINT nType) { return (nType & MB_ICONMASK) != 0 ? nType : (nType | MB_ICONEXCLAMATION); }
}  // namespace

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT /*nIDHelp*/) {
  return framework::ShowMessageBox(
      {framework::MainWindowWidget(), CString(lpszText), CString(), WithDefaultIcon(nType)});
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT /*nIDHelp*/) {
  CString text;
  text.LoadString(nIDPrompt);
  return AfxMessageBox(text, nType);
}
