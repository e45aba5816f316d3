// The main dialog run modally as the program runs it, with the system's own
// message box: a box shown while the dialog initialises is answered, then
// the dialog shows and runs until it is closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/window/cdialog.h"
#include "platform/window/window_text.h"
#include "query/address_book_message.h"
#include "tests/win32/window/window_test_support.h"
#include "ui/quillmar_dlg.h"

namespace {

// Answers every message box of this thread with OK once the box has been
// painted: a user answers a box they can see. A loop that keeps fetching
// messages without the box ever painting is given up after a bound: the box
// is closed then, so a run that would hang ends, and says so.
class BoxAnswerer {
 public:
  struct Box {
    std::wstring caption;
    std::vector<std::wstring> texts;  // its static controls
    bool visible;                     // when it painted
  };

  explicit BoxAnswerer(const CDialog& dialog) : m_dialog(dialog) {
    s_current = this;
    m_cbt = ::SetWindowsHookExW(WH_CBT, &BoxAnswerer::OnCbt, nullptr, ::GetCurrentThreadId());
    m_fetch = ::SetWindowsHookExW(WH_GETMESSAGE, &BoxAnswerer::OnFetch, nullptr, ::GetCurrentThreadId());
  }
  ~BoxAnswerer() {
    ::UnhookWindowsHookEx(m_fetch);
    ::UnhookWindowsHookEx(m_cbt);
    s_current = nullptr;
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  bool hooked() const { return m_cbt != nullptr && m_fetch != nullptr; }
  const std::vector<Box>& answered() const { return m_answered; }
  bool gaveUp() const { return m_gaveUp; }

 private:
  // Far more messages than a box and a dialog take to come up.
  static constexpr int kFetchBound = 5000;

  bool IsBox(HWND window) const {
    const bool child = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    return window != m_dialog.m_hWnd && !child && wintest::ClassNameOf(window) == L"#32770";
  }

  void Activated(HWND box) {
    m_box = box;
    m_fetched = 0;
  }

  void Fetched(const MSG& msg) {
    if (msg.message == WM_PAINT && msg.hwnd == m_box && m_box != nullptr) {
      Box seen{wintest::WindowTextOf(m_box), {}, ::IsWindowVisible(m_box) != FALSE};
      for (HWND child : wintest::ChildrenOf(m_box)) {
        if (wintest::ClassNameOf(child) == L"Static") seen.texts.push_back(wintest::WindowTextOf(child));
      }
      m_answered.push_back(seen);
      ::PostMessageW(m_box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      m_box = nullptr;
    }
    if (++m_fetched == kFetchBound) {
      m_gaveUp = true;
      ::EnumThreadWindows(::GetCurrentThreadId(), &BoxAnswerer::GiveUpOn, reinterpret_cast<LPARAM>(this));
    }
  }

  static BOOL CALLBACK GiveUpOn(HWND window, LPARAM self) {
    auto* answerer = reinterpret_cast<BoxAnswerer*>(self);
    if (answerer->IsBox(window)) ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
  }

  static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && s_current != nullptr && s_current->IsBox(window)) s_current->Activated(window);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static LRESULT CALLBACK OnFetch(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && s_current != nullptr) {
      s_current->Fetched(*reinterpret_cast<const MSG*>(lParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline BoxAnswerer* s_current = nullptr;
  const CDialog& m_dialog;
  HHOOK m_cbt = nullptr;
  HHOOK m_fetch = nullptr;
  HWND m_box = nullptr;  // activated, not yet painted
  std::vector<Box> m_answered;
  int m_fetched = 0;
  bool m_gaveUp = false;
};

TEST(ModalStartTest, ABoxWhileTheDialogStartsIsAnsweredThenTheDialogShowsAndRunsUntilClosed) {
  wintest::UseProgramResources();
  const wintest::ScopedWorkingFolder folder;  // no address book anywhere
  CQuillmarDlg dialog;
  BoxAnswerer answerer(dialog);
  ASSERT_TRUE(answerer.hooked());
  std::size_t boxesBeforeShown = 0;
  bool shown = false;
  RECT placed{};
  const framework::ScopedModalDialogHook started([&](CDialog& running) {
    boxesBeforeShown = answerer.answered().size();
    shown = ::IsWindowVisible(running.m_hWnd) != FALSE && ::IsWindowEnabled(running.m_hWnd) != FALSE;
    ::GetWindowRect(running.m_hWnd, &placed);
    ::PostMessageW(running.m_hWnd, WM_CLOSE, 0, 0);  // the close box
  });

  EXPECT_EQ(dialog.DoModal(), IDCANCEL);

  EXPECT_FALSE(answerer.gaveUp()) << "the message loop never settled with the box up";
  ASSERT_EQ(answerer.answered().size(), 1u);
  const BoxAnswerer::Box& box = answerer.answered()[0];
  EXPECT_EQ(box.caption, L"ERROR!");
  EXPECT_TRUE(box.visible);
  const std::wstring text = framework::DisplayWide(AddressBookOpenErrorText());
  EXPECT_NE(std::find(box.texts.begin(), box.texts.end(), text), box.texts.end());
  EXPECT_EQ(boxesBeforeShown, 1u);
  EXPECT_TRUE(shown);
  // Without an owner the dialog opens centred on the work area, box or not
  // (a pixel apart on an odd size).
  RECT area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR(placed.left - area.left, area.right - placed.right, 1) << "left " << placed.left;
  EXPECT_NEAR(placed.top - area.top, area.bottom - placed.bottom, 1) << "top " << placed.top;
}

}  // namespace
