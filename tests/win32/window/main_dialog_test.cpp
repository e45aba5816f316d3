// The program's main dialog over real windows: data exchange with the
// edits, the address book's list, the system menu's About item and the
// message boxes through the framework's one message-box function.
#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "platform/window/cdialog.h"
#include "platform/window/cmenu.h"
#include "tests/win32/window/window_test_support.h"
#include "query/address_book_message.h"
#include "ui/quillmar_dlg.h"

namespace {

// Opens the About box modally and closes it at once, noting which
// templates were run.
class ModalRecorder {
 public:
  ModalRecorder()
      : m_hook([this](CDialog& dialog) {
          opened.push_back(dialog.templateId());
          visible.push_back(::IsWindowVisible(dialog.m_hWnd) != FALSE);
          dialog.EndDialog(IDOK);
        }) {}

  std::vector<UINT> opened;
  std::vector<bool> visible;

 private:
  framework::ScopedModalDialogHook m_hook;
};

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { wintest::UseProgramResources(); }

  void Open(const std::string* book) {
    m_folder.emplace(book);
    ASSERT_TRUE(m_dialog.Create(IDD_QUILLMAR_DIALOG));
  }

  HWND Item(int id) const { return ::GetDlgItem(m_dialog.m_hWnd, id); }

  wintest::MessageBoxRecorder m_boxes;
  std::optional<wintest::ScopedWorkingFolder> m_folder;
  CQuillmarDlg m_dialog;
};

TEST_F(MainDialogTest, DataExchangeShowsTheBytesAndGivesThemBackUnchanged) {
  const std::string book = wintest::AddressBookRecord(0, "127.0.0.1", "Home");
  Open(&book);
  m_dialog.m_strHost = "Z\xC3\xBCrich";          // UTF-8
  m_dialog.m_strTrack = "Caf\xE9 \x80 circuit";  // Windows-1252
  m_dialog.m_strPlayers = "8/16";
  m_dialog.UpdateData(FALSE);
  EXPECT_EQ(wintest::WindowTextOf(Item(IDC_HOST)), L"Z\u00FCrich");
  EXPECT_EQ(wintest::WindowTextOf(Item(IDC_TRACK)), L"Caf\u00E9 \u20AC circuit");
  m_dialog.m_strHost.Empty();
  m_dialog.m_strTrack.Empty();
  m_dialog.UpdateData(TRUE);
  EXPECT_EQ(m_dialog.m_strHost, "Z\xC3\xBCrich");
  EXPECT_EQ(m_dialog.m_strTrack, "Caf\xE9 \x80 circuit");
  EXPECT_EQ(m_dialog.m_strPlayers, "8/16");
}

TEST_F(MainDialogTest, TextTheUserTypesComesBackAsUtf8) {
  Open(nullptr);
  ::SetWindowTextW(Item(IDC_SESSION), L"\u00C9t\u00E9");
  m_dialog.UpdateData(TRUE);
  EXPECT_EQ(m_dialog.m_strSession, "\xC3\x89t\xC3\xA9");
}

// Every keystroke in the address field copies all the fields back; setting
// the fields does not, so a change to several fields at once arrives whole.
TEST_F(MainDialogTest, TypingInTheAddressRefreshesTheStringsButSettingThemDoesNot) {
  Open(nullptr);
  ::SetWindowTextW(Item(IDC_PING), L"12");
  ::SendMessageW(Item(IDC_ADDRESS), WM_CHAR, L'1', 0);
  EXPECT_EQ(m_dialog.m_strAddress, "1");
  EXPECT_EQ(m_dialog.m_strPing, "12");
  m_dialog.m_strAddress = "127.0.0.9";
  m_dialog.m_strHost = "host";
  m_dialog.UpdateData(FALSE);
  EXPECT_EQ(wintest::WindowTextOf(Item(IDC_HOST)), L"host");
  EXPECT_EQ(m_dialog.m_strHost, "host");
}

// Each field is as wide as the template makes it; the text area inside
// must hold the short values the fields are made for.
TEST_F(MainDialogTest, ShortResultsFitTheirNarrowFieldsWhole) {
  Open(nullptr);
  for (const auto& [id, text] : {std::pair{IDC_SESSION, L"Race"}, std::pair{IDC_TIME_LEFT, L"10 Mins"}}) {
    const HWND edit = Item(id);
    const HDC dc = ::GetDC(edit);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(edit, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(edit, dc);
    RECT area{};
    ::SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    EXPECT_GE(area.right - area.left, extent.cx) << "field " << id;
  }
}

TEST_F(MainDialogTest, CtrlASelectsTheWholeTextOfAnEditAndTypesNothing) {
  Open(nullptr);
  const HWND address = Item(IDC_ADDRESS);
  ::SetWindowTextW(address, L"127.0.0.1");
  ::SendMessageW(address, EM_SETSEL, 3, 3);
  ::SendMessageW(address, WM_CHAR, 0x01, 0);  // Ctrl+A
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(address, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 9u);
  EXPECT_EQ(wintest::WindowTextOf(address), L"127.0.0.1");
}

TEST_F(MainDialogTest, AddressBookLinesKeepTheirBytesAndADoubleClickTakesTheAddress) {
  const std::string book =
      wintest::AddressBookRecord(0, "127.0.0.2", "Caf\xE9 racers") + wintest::AddressBookRecord(1, "127.0.0.1", "Home");
  Open(&book);
  ASSERT_EQ(m_dialog.m_ctlAddressList.SendMessage(LB_GETCOUNT), 2);
  CString first;
  m_dialog.m_ctlAddressList.GetText(0, first);
  EXPECT_EQ(first, CString(std::string("127.0.0.1 Home") + std::string(16, ' ')));  // sorted by the system
  CString second;
  m_dialog.m_ctlAddressList.GetText(1, second);
  EXPECT_EQ(second, CString(std::string("127.0.0.2 Caf\xE9 racers") + std::string(9, ' ')));
  wchar_t shown[64] = {};
  ::SendMessageW(Item(IDC_ADDRESS_LIST), LB_GETTEXT, 1, reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(std::wstring(shown), L"127.0.0.2 Caf\u00E9 racers" + std::wstring(9, L' '));

  ::SendMessageW(Item(IDC_ADDRESS_LIST), LB_SETCURSEL, 1, 0);
  ::SendMessageW(m_dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_ADDRESS_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(Item(IDC_ADDRESS_LIST)));
  EXPECT_EQ(m_dialog.m_strAddress, "127.0.0.2");
  EXPECT_EQ(wintest::WindowTextOf(Item(IDC_ADDRESS)), L"127.0.0.2");
}

TEST_F(MainDialogTest, SystemMenuEndsWithTheAboutItemWhoseCommandsOpenTheAboutBox) {
  Open(nullptr);
  const HMENU menu = ::GetSystemMenu(m_dialog.m_hWnd, FALSE);
  ASSERT_NE(menu, nullptr);
  const int count = ::GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_NE(::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR, 0u);
  EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t text[64] = {};
  ::GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&About VeloxaQuillmar");

  ModalRecorder modal;
  ::SendMessageW(m_dialog.m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  ::SendMessageW(m_dialog.m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x000F, 0);       // the low bits are the system's
  ::SendMessageW(m_dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(ID_ABOUT_ABOUT, 0), 0);  // the menu bar's item
  EXPECT_EQ(modal.opened, (std::vector<UINT>{IDD_ABOUTBOX, IDD_ABOUTBOX, IDD_ABOUTBOX}));
  EXPECT_EQ(modal.visible, (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(::IsWindowEnabled(m_dialog.m_hWnd));  // the modal box gave its owner back
}

TEST_F(MainDialogTest, AMissingAddressBookIsSaidInAMessageBoxOwnedByTheDialog) {
  Open(nullptr);
  ASSERT_EQ(m_boxes.boxes().size(), 1u);
  const framework::MessageBoxRequest& box = m_boxes.boxes()[0];
  EXPECT_EQ(box.text, AddressBookOpenErrorText());
  EXPECT_EQ(box.caption, "ERROR!");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(box.owner, m_dialog.m_hWnd);
  EXPECT_EQ(m_dialog.m_ctlAddressList.SendMessage(LB_GETCOUNT), 0);
}

TEST_F(MainDialogTest, ProgressPositionsReachTheProgressBar) {
  Open(nullptr);
  CWnd* bar = m_dialog.GetDlgItem(IDC_PROGRESS);
  ASSERT_NE(bar, nullptr);
  bar->SendMessage(PBM_SETRANGE, 0, MAKELONG(0, 100));
  bar->SendMessage(PBM_SETPOS, 75);
  EXPECT_EQ(::SendMessageW(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0), 75);
  bar->SendMessage(PBM_SETPOS, 250);  // the control clamps to its range
  EXPECT_EQ(::SendMessageW(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0), 100);
}

}  // namespace
