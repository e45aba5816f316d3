// "Ping Server" in the main dialog run modally, as the program runs it,
// against the stand-in server on 127.0.0.1: the fields filled in the real
// edits, the system's message box for a silent server, and a close request
// during the reply wait, which must end the query at once while the dialog
// kept handling its messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/cdialog.h"
#include "platform/winsock/scoped_startup.h"
#include "tests/support/status_server_process.h"
#include "tests/win32/window/window_test_support.h"
#include "ui/quillmar_dlg.h"

namespace {

constexpr UINT kTickMs = 50;
// Ticks of the reply wait before the close is posted: about a second of the five.
constexpr int kCloseAfterTicks = 1000 / kTickMs;
// A run that would never end is ended after this many ticks, and fails.
constexpr int kGiveUpTicks = 600;

// Watches one modal run of the dialog, in order of events: the progress
// bar's positions (a subclass of the bar), timer ticks while the reply is
// awaited (the bar at 50), and the system's message boxes, each read and
// answered with OK from a tick, since a timer runs in the box's loop too.
class QueryRun {
 public:
  // A message as a user's close reaches the dialog: posted to it, or, for a
  // key, to the control that has the focus.
  struct Gesture {
    UINT message;
    WPARAM wParam;
  };

  // Messages posted about a second into the reply wait, recorded as `label`.
  // `typed`: the keys come through the system's input (SendInput), so they
  // go to whatever window has the focus when they are read.
  struct DuringWait {
    std::string label;
    std::vector<Gesture> messages;
    bool typed = false;
  };

  explicit QueryRun(std::string address, std::optional<DuringWait> duringWait = std::nullopt)
      : m_address(std::move(address)), m_duringWait(std::move(duringWait)) {
    s_current = this;
  }
  ~QueryRun() { s_current = nullptr; }
  QueryRun(const QueryRun&) = delete;
  QueryRun& operator=(const QueryRun&) = delete;

  // Runs the dialog: once it shows, the address goes in and "Ping Server"
  // is pressed; when the command returns, the fields are read and, unless a
  // close was requested during the wait, the dialog is closed as a user would.
  INT_PTR Run() {
    const wintest::ScopedWorkingFolder folder(&m_book);  // no box at the start
    CQuillmarDlg dialog;
    const framework::ScopedModalDialogHook hook([&](CDialog&) { Press(dialog); });
    return dialog.DoModal();
  }

  std::vector<std::string> events;
  std::vector<std::wstring> boxTexts;  // the static texts of each box, joined
  std::vector<std::wstring> fields;    // HOST .. PING as shown once the query returned
  int barAfter = -1;
  bool enabledAfter = false;

 private:
  void Press(CQuillmarDlg& dialog) {
    m_dialog = dialog.m_hWnd;
    dialog.m_strAddress = m_address.c_str();
    dialog.UpdateData(FALSE);
    const HWND bar = ::GetDlgItem(m_dialog, IDC_PROGRESS);
    ::SetWindowSubclass(bar, &QueryRun::OnBar, 0, 0);
    ::SetTimer(m_dialog, 1, kTickMs, &QueryRun::OnTick);
    events.emplace_back("press");
    ::SendMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_PING_SERVER, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(m_dialog, IDC_PING_SERVER)));
    events.emplace_back("returned");
    for (const int id : {IDC_HOST, IDC_TRACK, IDC_PLAYERS, IDC_TYPE, IDC_SESSION, IDC_TIME_LEFT, IDC_PING}) {
      fields.push_back(wintest::WindowTextOf(::GetDlgItem(m_dialog, id)));
    }
    barAfter = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    enabledAfter = ::IsWindowEnabled(m_dialog) != FALSE;
    if (std::find(events.begin(), events.end(), "close") == events.end()) ::PostMessageW(m_dialog, WM_CLOSE, 0, 0);
  }

  static LRESULT CALLBACK OnBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == PBM_SETPOS && s_current != nullptr) {
      s_current->m_bar = static_cast<int>(wParam);
      s_current->events.push_back("bar " + std::to_string(wParam));
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(bar, &QueryRun::OnBar, 0);
    return ::DefSubclassProc(bar, message, wParam, lParam);
  }

  static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (s_current != nullptr) s_current->Tick();
  }

  void Tick() {
    ::EnumThreadWindows(::GetCurrentThreadId(), &QueryRun::AnswerBox, reinterpret_cast<LPARAM>(this));
    const bool running = events.back() == "bar 50";
    if (m_bar == 50 && running && ++m_ticksInWait == kCloseAfterTicks && m_duringWait) {
      events.push_back(m_duringWait->label);
      if (m_duringWait->typed) {
        TypeKeys(m_duringWait->messages);
        return;
      }
      for (const Gesture& gesture : m_duringWait->messages) {
        const bool key = gesture.message >= WM_KEYFIRST && gesture.message <= WM_KEYLAST;
        const HWND target = key && ::GetFocus() != nullptr ? ::GetFocus() : m_dialog;
        ::PostMessageW(target, gesture.message, gesture.wParam, 0);
      }
    }
    if (++m_ticks == kGiveUpTicks) {
      events.emplace_back("gave up");
      ::EndDialog(m_dialog, -2);
    }
  }

  static void TypeKeys(const std::vector<Gesture>& keys) {
    std::vector<INPUT> inputs;
    for (const Gesture& key : keys) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = static_cast<WORD>(key.wParam);
      input.ki.dwFlags = key.message == WM_KEYUP ? KEYEVENTF_KEYUP : 0;
      inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }

  static BOOL CALLBACK AnswerBox(HWND window, LPARAM self) {
    auto* run = reinterpret_cast<QueryRun*>(self);
    const bool child = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    if (window == run->m_dialog || child || !::IsWindowVisible(window) || wintest::ClassNameOf(window) != L"#32770" ||
        std::find(run->m_answered.begin(), run->m_answered.end(), window) != run->m_answered.end()) {
      return TRUE;
    }
    std::wstring text;
    for (HWND control : wintest::ChildrenOf(window)) {
      if (wintest::ClassNameOf(control) == L"Static") text += wintest::WindowTextOf(control);
    }
    run->m_answered.push_back(window);
    run->boxTexts.push_back(text);
    run->events.emplace_back("box");
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
  }

  static inline QueryRun* s_current = nullptr;
  const std::string m_book = wintest::AddressBookRecord(0, "127.0.0.1", "Home");
  std::string m_address;
  std::optional<DuringWait> m_duringWait;
  HWND m_dialog = nullptr;
  int m_bar = -1;
  int m_ticks = 0;
  int m_ticksInWait = 0;
  std::vector<HWND> m_answered;
};

class QueryDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::UseProgramResources();
    ASSERT_TRUE(m_sockets.started());
  }
  const winsock::ScopedStartup m_sockets;
};

bool IsDecimal(const std::wstring& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return std::iswdigit(c) != 0; });
}

TEST_F(QueryDialogTest, AnAnsweringServerFillsTheFieldsAndTheBarRunsToItsEnd) {
  const vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--host", "Alpha", "--track",
                                                              "Harbour Loop", "--players", "5/12", "--level", "3",
                                                              "--session", "Race", "--seconds-left", "5400"});
  QueryRun run(server.AddressText());
  EXPECT_EQ(run.Run(), IDCANCEL);
  EXPECT_EQ(run.events,
            (std::vector<std::string>{"press", "bar 0", "bar 25", "bar 50", "bar 75", "bar 100", "bar 0", "returned"}));
  ASSERT_EQ(run.fields.size(), 7u);
  EXPECT_EQ(std::vector<std::wstring>(run.fields.begin(), run.fields.end() - 1),
            (std::vector<std::wstring>{L"Alpha", L"Harbour Loop", L"5/12", L"Grand Prix", L"Race", L"90 Mins"}));
  EXPECT_TRUE(IsDecimal(run.fields.back())) << "PING: " << ::testing::PrintToString(run.fields.back());
  EXPECT_EQ(run.barAfter, 0);
  EXPECT_TRUE(run.boxTexts.empty());
}

TEST_F(QueryDialogTest, ASilentServerEndsInTheSystemsMessageBoxAndTheDialogGoesOn) {
  const vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--silent"});
  QueryRun run(server.AddressText());
  EXPECT_EQ(run.Run(), IDCANCEL);  // the close posted after the query was taken
  EXPECT_EQ(run.events, (std::vector<std::string>{"press", "bar 0", "bar 25", "bar 50", "box", "returned"}));
  EXPECT_EQ(run.boxTexts, std::vector<std::wstring>{L"Veloxa server not detected"});
  EXPECT_TRUE(run.enabledAfter);
  EXPECT_EQ(run.barAfter, 50);
  EXPECT_TRUE(run.fields.front().empty());
  EXPECT_TRUE(IsDecimal(run.fields.back()));
}

// The reply wait had four seconds left when the close came: without a box
// (which says the wait ran out) the close is what ended it. The close was
// posted from a timer tick during the wait, so the dialog kept handling its
// messages meanwhile.
// WM_CLOSE as a program sends it, the window manager's or system menu's
// Close, the close box, Alt+F4 and Esc.
TEST_F(QueryDialogTest, ACloseDuringTheReplyWaitEndsTheQueryAtOnceAndTheDialog) {
  const vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--silent"});
  for (const QueryRun::Gesture gesture :
       {QueryRun::Gesture{WM_CLOSE, 0}, QueryRun::Gesture{WM_SYSCOMMAND, SC_CLOSE},
        QueryRun::Gesture{WM_NCLBUTTONDOWN, HTCLOSE}, QueryRun::Gesture{WM_SYSKEYDOWN, VK_F4},
        QueryRun::Gesture{WM_KEYDOWN, VK_ESCAPE}}) {
    SCOPED_TRACE(::testing::Message() << "message " << gesture.message << ", wParam " << gesture.wParam);
    QueryRun run(server.AddressText(), QueryRun::DuringWait{"close", {gesture}});
    EXPECT_EQ(run.Run(), IDCANCEL);
    EXPECT_EQ(run.events, (std::vector<std::string>{"press", "bar 0", "bar 25", "bar 50", "close", "returned"}));
    EXPECT_TRUE(run.boxTexts.empty()) << ::testing::PrintToString(run.boxTexts);
    EXPECT_EQ(run.barAfter, 50);
  }
}

// A Space typed during the wait would press the box's button before the box
// is seen: the box waits to be answered, and the key goes to the address.
TEST_F(QueryDialogTest, KeysTypedDuringTheWaitDoNotAnswerTheBoxThatFollows) {
  const vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--silent"});
  QueryRun run(server.AddressText(),
               QueryRun::DuringWait{"typed", {{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}}, /*typed=*/true});
  EXPECT_EQ(run.Run(), IDCANCEL);
  EXPECT_EQ(run.events, (std::vector<std::string>{"press", "bar 0", "bar 25", "bar 50", "typed", "box", "returned"}));
  EXPECT_EQ(run.boxTexts, std::vector<std::wstring>{L"Veloxa server not detected"});
}

}  // namespace
