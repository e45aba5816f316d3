// "Ping Server": the server query runs with the dialog as its sink. A socket
// failure leaves the query as a CBlockingSocketException*, which the command
// does not catch: the framework's window-procedure guard shows its message
// and the dialog goes on, with the progress bar where the query stopped.
// A close request while the query waits ends the query at once, without a
// word; the window closes when the command has returned.
#include "query/server_query.h"
#include "ui/quillmar_dlg.h"

void CQuillmarDlg::QueryServer() {
  m_bStatusReplyDecoded = FALSE;
  m_nRoundTripMicroseconds = -1;
  CServerQuery query(*this);
  query.Run(m_strAddress);
  m_bStatusReplyDecoded = query.StatusReplyDecoded();
}

void CQuillmarDlg::OnFieldsEmptied() {
  m_strHost.Empty();
  m_strPlayers.Empty();
  m_strTrack.Empty();
  m_strSession.Empty();
  m_strType.Empty();
  m_strPing.Empty();
  m_strTimeLeft.Empty();
  UpdateData(FALSE);
}

void CQuillmarDlg::OnField(QueryField field, const CString& strText) {
  FieldString(field) = strText;
  UpdateData(FALSE);
}

void CQuillmarDlg::OnProgressRange(int nLower, int nUpper) {
  if (CWnd* pBar = GetDlgItem(IDC_PROGRESS)) pBar->SendMessage(PBM_SETRANGE, 0, MAKELONG(nLower, nUpper));
}

// Each position is drawn at once.
void CQuillmarDlg::OnProgress(int nPos) {
  if (CWnd* pBar = GetDlgItem(IDC_PROGRESS)) pBar->SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos));
}

void CQuillmarDlg::OnMessage(const CString& strText) { MessageBox(strText); }

void CQuillmarDlg::OnRoundTrip(long long nMicroseconds) { m_nRoundTripMicroseconds = nMicroseconds; }

bool CQuillmarDlg::StopRequested() const { return closeRequested(); }

CString& CQuillmarDlg::FieldString(QueryField field) {
  switch (field) {
    case QueryField::Ping: return m_strPing;
    case QueryField::Host: return m_strHost;
    case QueryField::Track: return m_strTrack;
    case QueryField::Players: return m_strPlayers;
    case QueryField::Type: return m_strType;
    case QueryField::Session: return m_strSession;
    case QueryField::TimeLeft: return m_strTimeLeft;
  }
  return m_strHost;  // not reached: every field is listed
}
