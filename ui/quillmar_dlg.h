#pragma once
#include "platform/framework/cdialog.h"
#include "platform/framework/controls.h"
#include "platform/framework/cstring.h"
#include "ui/resource.h"

class CPinger;

// The main dialog: the server address, the list of saved addresses, the
// result fields and the progress bar. Every writer of a field follows its
// assignment with UpdateData(FALSE), so the field reaches the screen at once.
class CQuillmarDlg : public CDialog {
 public:
  explicit CQuillmarDlg(CWnd* pParent = nullptr);
  ~CQuillmarDlg() override;

  enum { IDD = IDD_QUILLMAR_DIALOG };

  CListBox m_ctlAddressList;
  CString m_strAddress;
  CString m_strHost;
  CString m_strType;
  CString m_strSession;
  CString m_strPlayers;
  CString m_strTrack;
  CString m_strTimeLeft;
  CString m_strPing;

  // TRUE when the last "Ping Server" decoded a status reply from the server.
  BOOL StatusReplyDecoded() const { return m_bStatusReplyDecoded; }

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
  // The server query behind "Ping Server" (quillmar_dlg_query.cpp).
  void QueryServer();
  void EmptyResultFields();
  void ReportEchoFailure(const CPinger& pinger);
  void SetProgressRange();
  void SetProgress(int nPos);
  // The address book (quillmar_dlg_address_book.cpp): reading "address.ini"
  // into the list while the dialog initialises, and taking the chosen line.
  void LoadAddressBook();
  void TakeChosenAddress();

  BOOL m_bStatusReplyDecoded = FALSE;
};
