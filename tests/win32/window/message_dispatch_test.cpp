// Real window messages through the message maps: control notifications the
// system's controls send, system commands, paint, the exception guard and
// the blocking hook's choice of messages.
#include <gtest/gtest.h>

#include <vector>

#include "platform/framework/cexception.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/window/cdialog.h"
#include "platform/window/dialog_template.h"
#include "tests/win32/window/window_test_support.h"

namespace {

constexpr UINT kTestDialog = 9001;
constexpr int kButton = 100;
constexpr int kEdit = 101;
constexpr int kList = 102;
constexpr int kFailing = 103;

void RegisterTestDialog() {
  using framework::ControlKind;
  framework::RegisterDialogTemplate(
      {kTestDialog,
       "Dispatch",
       200,
       100,
       DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
       0,
       "MS Sans Serif",
       8,
       0,
       {
           {kButton, ControlKind::PushButton, "Go", 10, 10, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
           {kEdit, ControlKind::Edit, nullptr, 10, 30, 80, 14, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
           {kList, ControlKind::ListBox, nullptr, 100, 10, 90, 60, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
           {kFailing, ControlKind::PushButton, "Fail", 10, 50, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
       }});
}

class CFailure : public CException {
 public:
  BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT /*pnHelpContext*/) override {
    AfxCopyErrorText(lpszError, nMaxError, "The handler failed.");
    return TRUE;
  }
};

// Records which handler ran, in order.
class CDispatchDlg : public CDialog {
 public:
  CDispatchDlg() : CDialog(kTestDialog) {}

  std::vector<std::string> seen;
  int paints = 0;

 protected:
  void OnGo() { seen.push_back("BN_CLICKED"); }
  void OnEditChange() { seen.push_back("EN_CHANGE"); }
  void OnListDoubleClick() { seen.push_back("LBN_DBLCLK"); }
  void OnFail() { throw new CFailure; }  // NOLINT: the framework's exceptions are thrown by pointer
  void OnSysCommand(UINT nID, LPARAM lParam) {
    seen.push_back("WM_SYSCOMMAND " + std::to_string(nID));
    CDialog::OnSysCommand(nID, lParam);
  }
  void OnPaint() {
    ++paints;
    Default();
  }

  DECLARE_MESSAGE_MAP()
};

const framework::MessageMap& CDispatchDlg::GetThisMessageMap() {
  using namespace framework::msgmap;
  static const framework::MessageMap map(&CDialog::GetThisMessageMap(),
                                         {
                                             BnClicked(kButton, &CDispatchDlg::OnGo),
                                             EnChange(kEdit, &CDispatchDlg::OnEditChange),
                                             LbnDblClk(kList, &CDispatchDlg::OnListDoubleClick),
                                             BnClicked(kFailing, &CDispatchDlg::OnFail),
                                             WmSysCommand(&CDispatchDlg::OnSysCommand),
                                             WmPaint(&CDispatchDlg::OnPaint),
                                         });
  return map;
}

class MessageDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestDialog();
    ASSERT_TRUE(m_dialog.Create(kTestDialog));
  }

  HWND Item(int id) const { return ::GetDlgItem(m_dialog.m_hWnd, id); }

  CDispatchDlg m_dialog;
};

TEST_F(MessageDispatchTest, ControlsNotifyTheirHandlersThroughTheMap) {
  ::SendMessageW(Item(kButton), BM_CLICK, 0, 0);
  ::SendMessageW(Item(kEdit), WM_CHAR, L'x', 0);  // a key the user typed
  ::SendMessageW(Item(kList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"line"));
  ::SendMessageW(m_dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(kList, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(kList)));
  EXPECT_EQ(m_dialog.seen, (std::vector<std::string>{"BN_CLICKED", "EN_CHANGE", "LBN_DBLCLK"}));
}

TEST_F(MessageDispatchTest, TextTheProgramSetsSendsNoChangeNotification) {
  m_dialog.GetDlgItem(kEdit)->SetWindowText("set by the program");
  EXPECT_TRUE(m_dialog.seen.empty());
  EXPECT_EQ(wintest::WindowTextOf(Item(kEdit)), L"set by the program");
}

TEST_F(MessageDispatchTest, SystemCommandsReachTheMapAndTheDefaultCloseCancels) {
  ::SendMessageW(m_dialog.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_EQ(m_dialog.seen.size(), 1u);
  EXPECT_EQ(m_dialog.seen[0], "WM_SYSCOMMAND " + std::to_string(SC_CLOSE));
  EXPECT_TRUE(m_dialog.ended());
  EXPECT_FALSE(::IsWindowVisible(m_dialog.m_hWnd));
}

TEST_F(MessageDispatchTest, PaintGoesThroughTheMapAndDefaultValidates) {
  ::InvalidateRect(m_dialog.m_hWnd, nullptr, TRUE);
  ::UpdateWindow(m_dialog.m_hWnd);
  EXPECT_GE(m_dialog.paints, 1);
  RECT update{};
  EXPECT_FALSE(::GetUpdateRect(m_dialog.m_hWnd, &update, FALSE));  // Default() painted it
}

TEST_F(MessageDispatchTest, AnExceptionFromAHandlerIsReportedAndTheDialogGoesOn) {
  wintest::MessageBoxRecorder boxes;
  ::SendMessageW(Item(kFailing), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "The handler failed.");
  ::SendMessageW(Item(kButton), BM_CLICK, 0, 0);
  EXPECT_EQ(m_dialog.seen, std::vector<std::string>{"BN_CLICKED"});
  EXPECT_TRUE(::IsWindow(m_dialog.m_hWnd));
}

TEST_F(MessageDispatchTest, BlockingHookPaintsButLeavesInputQueued) {
  wintest::PumpMessages();
  const int paintsBefore = m_dialog.paints;
  ::InvalidateRect(m_dialog.m_hWnd, nullptr, TRUE);
  ::PostMessageW(Item(kButton), WM_KEYDOWN, VK_SPACE, 0);
  ::PostMessageW(m_dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(kButton, BN_CLICKED), reinterpret_cast<LPARAM>(Item(kButton)));
  kernel::CallBlockingHook();
  EXPECT_GT(m_dialog.paints, paintsBefore);
  EXPECT_TRUE(m_dialog.seen.empty());  // the command waits for the handler to return
  MSG msg{};
  EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  wintest::PumpMessages();
  EXPECT_EQ(m_dialog.seen, std::vector<std::string>{"BN_CLICKED"});
}

}  // namespace
