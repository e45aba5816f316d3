// The main dialog and the About box as the system makes them from the
// program's templates: every control at the template's place in dialog
// units, with its id, class, text and style; the menu bar and the icons.
#include <gtest/gtest.h>

#include "platform/window/cdialog.h"
#include "platform/window/dialog_template.h"
#include "platform/window/window_text.h"
#include "tests/win32/window/window_test_support.h"
#include "ui/about_dlg.h"
#include "ui/quillmar_dlg.h"

namespace {

using framework::ControlKind;
using framework::ControlTemplate;

std::wstring ClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit: return L"Edit";
    case ControlKind::PushButton:
    case ControlKind::GroupBox: return L"Button";
    case ControlKind::ListBox: return L"ListBox";
    case ControlKind::ProgressBar: return L"msctls_progress32";
    case ControlKind::Label:
    case ControlKind::Icon: return L"Static";
  }
  return L"";
}

// Place and size as the template says; a label may be wider, to show its
// whole text in the font that stands in for the template's, and an icon
// takes the icon's size.
void ExpectAtTemplatePlace(HWND dialog, HWND control, const ControlTemplate& c) {
  const RECT expected = wintest::DialogUnitsRect(dialog, c.x, c.y, c.cx, c.cy);
  const RECT actual = wintest::RectInParent(control);
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  if (c.kind == ControlKind::Icon) return;
  EXPECT_EQ(actual.bottom, expected.bottom);
  if (c.kind == ControlKind::Label) {
    EXPECT_GE(actual.right, expected.right);
  } else {
    EXPECT_EQ(actual.right, expected.right);
  }
}

void ExpectControlsOf(HWND dialog, UINT templateId) {
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(templateId);
  ASSERT_NE(dialogTemplate, nullptr);
  const std::vector<HWND> children = wintest::ChildrenOf(dialog);
  ASSERT_EQ(children.size(), dialogTemplate->controls.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ControlTemplate& c = dialogTemplate->controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(c.id) + ")");
    EXPECT_EQ(::GetDlgCtrlID(children[i]), c.id == IDC_STATIC ? 0xFFFF : c.id);
    EXPECT_EQ(wintest::ClassNameOf(children[i]), ClassFor(c.kind));
    if (c.kind != ControlKind::Icon) {
      EXPECT_EQ(wintest::WindowTextOf(children[i]), framework::DisplayWide(CString(c.text)));
    }
    // The border became the sunken edge; scroll bars come and go with the content.
    const DWORD kept = c.style & ~static_cast<DWORD>(WS_BORDER | WS_VSCROLL | WS_HSCROLL);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(children[i], GWL_STYLE));
    EXPECT_EQ(style & kept, kept);
    EXPECT_NE(style & WS_VISIBLE, 0u);
    ExpectAtTemplatePlace(dialog, children[i], c);
  }
}

class DialogLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { wintest::UseProgramResources(); }

  const std::string m_book = wintest::AddressBookRecord(0, "127.0.0.1", "Home");
  wintest::ScopedWorkingFolder m_folder{&m_book};
};

TEST_F(DialogLayoutTest, MainDialogControlsSitAtTheTemplatesPlacesWithTheirIdsTextsAndStyles) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  ExpectControlsOf(dialog.m_hWnd, IDD_QUILLMAR_DIALOG);

  RECT client{};
  ::GetClientRect(dialog.m_hWnd, &client);
  const RECT expected = wintest::DialogUnitsRect(dialog.m_hWnd, 0, 0, 274, 149);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
  EXPECT_EQ(wintest::WindowTextOf(dialog.m_hWnd), L"Veloxa Quillmar");
  EXPECT_NE(::GetWindowLongPtrW(dialog.m_hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  // The bordered edits and the list get the system's sunken edge.
  EXPECT_NE(::GetWindowLongPtrW(::GetDlgItem(dialog.m_hWnd, IDC_ADDRESS), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(::SendMessageW(::GetDlgItem(dialog.m_hWnd, IDC_PING_SERVER), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON,
            DLGC_DEFPUSHBUTTON);
}

TEST_F(DialogLayoutTest, MainDialogHasTheAboutMenuAndTheProgramIcons) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  const HMENU bar = ::GetMenu(dialog.m_hWnd);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(::GetMenuItemCount(bar), 1);
  wchar_t text[32] = {};
  ::GetMenuStringW(bar, 0, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&About");
  const HMENU popup = ::GetSubMenu(bar, 0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(ID_ABOUT_ABOUT));

  const auto big = reinterpret_cast<HICON>(::SendMessageW(dialog.m_hWnd, WM_GETICON, ICON_BIG, 0));
  const auto small = reinterpret_cast<HICON>(::SendMessageW(dialog.m_hWnd, WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(small, &info));
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, ::GetSystemMetrics(SM_CXSMICON) <= 16 ? 16 : 32);
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
}

TEST_F(DialogLayoutTest, AboutBoxShowsTheIconNameAndOkButtonAtTheTemplatesPlaces) {
  CAboutDlg about;
  ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
  ExpectControlsOf(about.m_hWnd, IDD_ABOUTBOX);
  EXPECT_EQ(wintest::WindowTextOf(about.m_hWnd), L"About Veloxa Quillmar");
  const HWND icon = wintest::ChildrenOf(about.m_hWnd).front();
  EXPECT_NE(::SendMessageW(icon, STM_GETICON, 0, 0), 0);
  EXPECT_EQ(wintest::WindowTextOf(::GetDlgItem(about.m_hWnd, IDOK)), L"OK");
}

}  // namespace
