#include "ui/query_runner.h"

#include <utility>

#include "platform/framework/message_box.h"
#include "platform/kernel/blocking_hook.h"

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

}  // namespace

CUnattendedDialog::CUnattendedDialog() {
  if (!m_sockets.started()) return;
  m_created = m_dialog.Create(IDD_QUILLMAR_DIALOG) != FALSE;
  // The first paint happens before an address is put in, as for a user;
  // painting leaves the address alone (only a double-click on the list
  // takes the chosen line's address).
  if (m_created) kernel::CallBlockingHook();
}

CUnattendedDialog::~CUnattendedDialog() {
  if (m_created) m_dialog.DestroyWindow();
}

void CUnattendedDialog::SetAddress(const CString& strAddress) {
  m_dialog.m_strAddress = strAddress;
  m_dialog.UpdateData(FALSE);
}

std::vector<CString> CUnattendedDialog::PressPingServer(const std::function<void(const CString&)>& onMessage) {
  std::vector<CString> messages;
  const framework::ScopedMessageBoxHandler collector(CollectingMessages(messages, onMessage));
  m_dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PING_SERVER, BN_CLICKED), 0);
  return messages;
}

QueryOutcome CUnattendedDialog::Shown() const {
  QueryOutcome outcome;
  static_cast<ResultStrings&>(outcome) = m_dialog;
  outcome.strAddress = m_dialog.m_strAddress;
  outcome.detected = m_dialog.StatusReplyDecoded() != FALSE;
  outcome.rttMicroseconds = m_dialog.RoundTripMicroseconds();
  return outcome;
}

QueryOutcome RunServerQuery(const CString& strAddress, const ServerQueryHooks& hooks) {
  CUnattendedDialog unattended;
  if (!unattended.Ready()) {
    QueryOutcome outcome;
    outcome.strAddress = strAddress;
    if (!unattended.SocketsStarted()) {
      const framework::ScopedMessageBoxHandler collector(CollectingMessages(outcome.messages, hooks.onMessage));
      AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK);
    }
    return outcome;
  }
  unattended.SetAddress(strAddress);
  std::vector<CString> messages = unattended.PressPingServer(hooks.onMessage);
  QueryOutcome outcome = unattended.Shown();
  outcome.messages = std::move(messages);
  if (hooks.onFinished) hooks.onFinished(unattended.dialog());
  return outcome;
}
