#include "ui/quillmar_dlg.h"

#include "platform/window/cmenu.h"
#include "platform/window/cwinapp.h"
#include "platform/window/ddx.h"
#include "platform/window/paint.h"
#include "ui/about_dlg.h"

const framework::MessageMap& CQuillmarDlg::GetThisMessageMap() {
  using namespace framework::msgmap;
  // A message map is a table: one entry a line, as written.
  // clang-format off
  static const framework::MessageMap map(&CDialog::GetThisMessageMap(), {
      WmSysCommand(&CQuillmarDlg::OnSysCommand),
      WmPaint(&CQuillmarDlg::OnPaint),
      WmQueryDragIcon(&CQuillmarDlg::OnQueryDragIcon),
      EnChange(IDC_ADDRESS, &CQuillmarDlg::OnChangeAddress),
      BnClicked(IDC_PING_SERVER, &CQuillmarDlg::OnPingServer),
      Command(ID_ABOUT_ABOUT, &CQuillmarDlg::OnAboutAbout),
      LbnSelChange(IDC_ADDRESS_LIST, &CQuillmarDlg::OnSelchangeAddressList),
      LbnDblClk(IDC_ADDRESS_LIST, &CQuillmarDlg::OnDblclkAddressList),
  });
  // clang-format on
  return map;
}

CQuillmarDlg::CQuillmarDlg(CWnd* pParent) : CDialog(CQuillmarDlg::IDD, pParent) {
  m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

// The icon belongs to the application's resources and is not destroyed here.
CQuillmarDlg::~CQuillmarDlg() = default;

void CQuillmarDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ADDRESS_LIST, m_ctlAddressList);
  DDX_Text(pDX, IDC_ADDRESS, m_strAddress);
  static constexpr ResultFieldOrder kExchanged = ResultFieldsBy(&ResultField::exchangePlace);
  for (const ResultField* field : kExchanged) DDX_Text(pDX, field->controlId, this->*field->text);
}

BOOL CQuillmarDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  CMenu* pSysMenu = GetSystemMenu(FALSE);
  if (pSysMenu != nullptr) {
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  LoadAddressBook();

  return TRUE;  // focus goes to the first tab stop
}

void CQuillmarDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & kSystemCommandMask) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void CQuillmarDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    // The icon centred in the client area.
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
  } else {
    Default();
  }
}

// The cursor shown while the minimised window is dragged.
HCURSOR CQuillmarDlg::OnQueryDragIcon() { return m_hIcon; }

// Every keystroke in the address field refreshes all the strings from their controls.
void CQuillmarDlg::OnChangeAddress() { UpdateData(TRUE); }

void CQuillmarDlg::OnPingServer() { QueryServer(); }

// A handler of the message map, so a member although it needs no state.
void CQuillmarDlg::OnAboutAbout() {  // NOLINT(readability-convert-member-functions-to-static)
  CAboutDlg dlgAbout;
  dlgAbout.DoModal();
}

// A single click only selects the line.
void CQuillmarDlg::OnSelchangeAddressList() {}

void CQuillmarDlg::OnDblclkAddressList() { TakeChosenAddress(); }
