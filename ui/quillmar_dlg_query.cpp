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
  EmptyResults(*this);
  UpdateData(FALSE);
}

void CQuillmarDlg::OnField(QueryField field, const CString& strText) {
  ResultText(*this, field) = strText;
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
