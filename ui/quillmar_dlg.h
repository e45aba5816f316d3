#pragma once
#include "platform/window/cdialog.h"
#include "platform/window/controls.h"
#include "platform/framework/cstring.h"
#include "query/query_sink.h"
#include "query/result_fields.h"
#include "ui/resource.h"

// The main dialog: the server address, the list of saved addresses, the
// result fields (m_strPing, m_strHost and the others, ResultStrings) and the
// progress bar. Every writer of a field follows its assignment with
// UpdateData(FALSE), so the field reaches the screen at once. The dialog is
// the sink of its server query: each report of the query reaches the screen
// as it comes.
class CQuillmarDlg : public CDialog, public ResultStrings, private CQuerySink {
 public:
  explicit CQuillmarDlg(CWnd* pParent = nullptr);
  ~CQuillmarDlg() override;

  enum { IDD = IDD_QUILLMAR_DIALOG };

  CListBox m_ctlAddressList;
  CString m_strAddress;

  // TRUE when the last "Ping Server" decoded a status reply from the server.
  BOOL StatusReplyDecoded() const { return m_bStatusReplyDecoded; }
  // The last echo's round trip in microseconds; -1 when no echo came back.
  long long RoundTripMicroseconds() const { return m_nRoundTripMicroseconds; }

 protected:
  HICON m_hIcon;

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnChangeAddress();
  void OnPingServer();
  void OnAboutAbout();
  void OnSelchangeAddressList();
  void OnDblclkAddressList();

  DECLARE_MESSAGE_MAP()

 private:
  // The server query behind "Ping Server" and the sink it reports to
  // (quillmar_dlg_query.cpp).
  void QueryServer();
  void OnFieldsEmptied() override;
  void OnField(QueryField field, const CString& strText) override;
  void OnProgressRange(int nLower, int nUpper) override;
  void OnProgress(int nPos) override;
  void OnMessage(const CString& strText) override;
  void OnRoundTrip(long long nMicroseconds) override;
  bool StopRequested() const override;
  // The address book (quillmar_dlg_address_book.cpp): reading "address.ini"
  // into the list while the dialog initialises, and taking the chosen line.
  void LoadAddressBook();
  void TakeChosenAddress();

  BOOL m_bStatusReplyDecoded = FALSE;
  long long m_nRoundTripMicroseconds = -1;
};
