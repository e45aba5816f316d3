#include "ui/query_runner.h"

#include "platform/framework/message_box.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/winsock/winsock.h"
#include "ui/quillmar_dlg.h"

namespace {

// Answers every message box with OK and passes its text on, for as long as
// it lives; the handler before it comes back afterwards.
class MessageCollector {
 public:
  MessageCollector(std::vector<CString>& messages, const std::function<void(const CString&)>& onMessage)
      : m_previous(framework::SetMessageBoxHandler([&messages, onMessage](const framework::MessageBoxRequest& box) {
          messages.push_back(box.text);
          if (onMessage) onMessage(box.text);
          return IDOK;
        })) {}
  ~MessageCollector() { framework::SetMessageBoxHandler(m_previous); }
  MessageCollector(const MessageCollector&) = delete;
  MessageCollector& operator=(const MessageCollector&) = delete;

 private:
  framework::MessageBoxHandler m_previous;
};

// The sockets library for the run. Start-ups are counted by the library,
// so a program that has started it already keeps it running afterwards.
class SocketsForRun {
 public:
  SocketsForRun() {
    WSADATA data{};
    m_bStarted = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~SocketsForRun() {
    if (m_bStarted) WSACleanup();
  }
  SocketsForRun(const SocketsForRun&) = delete;
  SocketsForRun& operator=(const SocketsForRun&) = delete;
  bool started() const { return m_bStarted; }

 private:
  bool m_bStarted = false;
};

void PressPingServer(CQuillmarDlg& dialog) {
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PING_SERVER, BN_CLICKED), 0);
}

void CollectFields(const CQuillmarDlg& dialog, QueryOutcome& outcome) {
  outcome.strAddress = dialog.m_strAddress;
  outcome.strPing = dialog.m_strPing;
  outcome.strHost = dialog.m_strHost;
  outcome.strTrack = dialog.m_strTrack;
  outcome.strPlayers = dialog.m_strPlayers;
  outcome.strType = dialog.m_strType;
  outcome.strSession = dialog.m_strSession;
  outcome.strTimeLeft = dialog.m_strTimeLeft;
  outcome.detected = dialog.StatusReplyDecoded() != FALSE;
  outcome.rttMicroseconds = dialog.RoundTripMicroseconds();
}

}  // namespace

QueryOutcome RunServerQuery(const CString& strAddress, const ServerQueryHooks& hooks) {
  QueryOutcome outcome;
  outcome.strAddress = strAddress;
  const SocketsForRun sockets;
  if (!sockets.started()) {
    const MessageCollector collector(outcome.messages, hooks.onMessage);
    AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK);
    return outcome;
  }

  // What the dialog says while it initialises (the address book's message)
  // is no message of the query: it goes wherever message boxes go now.
  CQuillmarDlg dialog;
  if (!dialog.Create(IDD_QUILLMAR_DIALOG)) return outcome;
  kernel::CallBlockingHook();  // the dialog's first paint, before the address is typed in
  dialog.m_strAddress = strAddress;
  dialog.UpdateData(FALSE);
  {
    const MessageCollector collector(outcome.messages, hooks.onMessage);
    PressPingServer(dialog);
  }
  CollectFields(dialog, outcome);
  if (hooks.onFinished) hooks.onFinished(dialog);
  dialog.DestroyWindow();
  return outcome;
}
