#include "ui/query_runner.h"

#include "platform/framework/message_box.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/winsock/scoped_startup.h"
#include "ui/quillmar_dlg.h"

namespace {

// Answers every message box with OK and passes its text on.
framework::MessageBoxHandler CollectingMessages(std::vector<CString>& messages,
                                                const std::function<void(const CString&)>& onMessage) {
  return [&messages, onMessage](const framework::MessageBoxRequest& box) {
    messages.push_back(box.text);
    if (onMessage) onMessage(box.text);
    return IDOK;
  };
}

void PressPingServer(CQuillmarDlg& dialog) {
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PING_SERVER, BN_CLICKED), 0);
}

void CollectFields(const CQuillmarDlg& dialog, QueryOutcome& outcome) {
  static_cast<ResultStrings&>(outcome) = dialog;
  outcome.strAddress = dialog.m_strAddress;
  outcome.detected = dialog.StatusReplyDecoded() != FALSE;
  outcome.rttMicroseconds = dialog.RoundTripMicroseconds();
}

}  // namespace

QueryOutcome RunServerQuery(const CString& strAddress, const ServerQueryHooks& hooks) {
  QueryOutcome outcome;
  outcome.strAddress = strAddress;
  const winsock::ScopedStartup sockets;
  if (!sockets.started()) {
    const framework::ScopedMessageBoxHandler collector(CollectingMessages(outcome.messages, hooks.onMessage));
    AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK);
    return outcome;
  }

  // What the dialog says while it initialises (the address book's message)
  // is no message of the query: it goes wherever message boxes go now.
  CQuillmarDlg dialog;
  if (!dialog.Create(IDD_QUILLMAR_DIALOG)) return outcome;
  // The dialog's first paint happens before the address is typed in, as for
  // a user; painting leaves the address alone (only a double-click on the
  // list takes the chosen line's address).
  kernel::CallBlockingHook();
  dialog.m_strAddress = strAddress;
  dialog.UpdateData(FALSE);
  {
    const framework::ScopedMessageBoxHandler collector(CollectingMessages(outcome.messages, hooks.onMessage));
    PressPingServer(dialog);
  }
  CollectFields(dialog, outcome);
  if (hooks.onFinished) hooks.onFinished(dialog);
  dialog.DestroyWindow();
  return outcome;
}
