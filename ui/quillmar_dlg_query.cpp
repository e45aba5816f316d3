// The server query command behind "Ping Server": an ICMP echo to the
// address, then one status request to the game server there, with the
// progress bar moving through fixed positions.
//
// The query blocks the GUI thread while it waits; the sockets and ICMP
// layers wait in slices and run the framework's blocking hook between
// them, so the window repaints but takes no input until the query is done.
// The datagram socket throws CBlockingSocketException* on every failure,
// silence included; the command does not catch it. The framework's
// window-procedure guard shows its message and the dialog goes on, with
// the progress bar where the query stopped.
#include "icmp/ping_results.h"
#include "icmp/pinger.h"
#include "protocol/blocking_socket.h"
#include "protocol/status_request.h"
#include "ui/quillmar_dlg.h"
#include "ui/socket_close_guard.h"
#include "ui/status_destination.h"
#include "ui/status_reply_display.h"

namespace {

constexpr BYTE kEchoTimeToLive = 255;
constexpr int kSendWaitSeconds = 2;
constexpr int kReceiveWaitSeconds = 5;

}  // namespace

void CQuillmarDlg::QueryServer() {
  m_bStatusReplyDecoded = FALSE;
  EmptyResultFields();
  SetProgressRange();
  SetProgress(0);

  CPinger pinger;
  CPingResults results;
  if (pinger.Ping(m_strAddress, &results, kEchoTimeToLive) == 0) ReportEchoFailure(pinger);
  SetProgress(25);
  m_strPing.Format("%d", static_cast<int>(results.m_dwRoundTripTime));  // 0 when the echo failed
  UpdateData(FALSE);

  sockaddr_in destination;
  if (!FindStatusDestination(m_strAddress, pinger, destination)) {
    MessageBox("Invalid server address");
    return;
  }
  CBlockingSocket socket;
  socket.Create(SOCK_DGRAM);
  CSocketCloseGuard closer(socket);
  socket.SendDatagram(kStatusRequestText.data(), static_cast<int>(kStatusRequestLength), &destination,
                      kSendWaitSeconds);
  SetProgress(50);

  char reply[kStatusReplyBufferSize];
  const int nReceived =
      socket.ReceiveDatagram(reply, static_cast<int>(sizeof reply), nullptr, kReceiveWaitSeconds);
  SetProgress(75);
  ShowStatusReply(*this, reply, nReceived);
  m_bStatusReplyDecoded = TRUE;

  closer.Close();
  SetProgress(100);
  SetProgress(0);
}

// TIME_LEFT is emptied with the others: a reply without an eleventh field
// must not leave the time left of the server asked before.
void CQuillmarDlg::EmptyResultFields() {
  m_strHost.Empty();
  m_strPlayers.Empty();
  m_strTrack.Empty();
  m_strSession.Empty();
  m_strType.Empty();
  m_strPing.Empty();
  m_strTimeLeft.Empty();
  UpdateData(FALSE);
}

// A time-out, an unreachable host and the like all read "Ping Timed Out".
// When the system refused this user an ICMP socket no echo was sent at
// all, and the user is told how to allow it.
void CQuillmarDlg::ReportEchoFailure(const CPinger& pinger) {
  if (pinger.EchoNotPermitted()) {
    MessageBox("Ping not sent. " + pinger.EchoPermissionAdvice());
  } else {
    MessageBox("Ping Timed Out");
  }
}

void CQuillmarDlg::SetProgressRange() {
  if (CWnd* pBar = GetDlgItem(IDC_PROGRESS)) pBar->SendMessage(PBM_SETRANGE, 0, MAKELONG(0, 100));
}

// Each position is drawn at once.
void CQuillmarDlg::SetProgress(int nPos) {
  if (CWnd* pBar = GetDlgItem(IDC_PROGRESS)) pBar->SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos));
}
