// The window over the system's own, by its handle.
#include "platform/window/cwnd.h"

#include <algorithm>
#include <vector>

#include "platform/window/cmenu.h"
#include "platform/window/cwinapp.h"
#include "platform/window/icon_handles.h"
#include "platform/window/window_text.h"

namespace {

// Every window object alive, for letting go of handles whose window is gone.
// Windows and their objects live on the one GUI thread.
std::vector<CWnd*>& liveWindows() {
  static auto* all = new std::vector<CWnd*>;
  return *all;
}

// The objects whose window procedure is the framework's, by handle.
std::vector<std::pair<HWND, CWnd*>>& subclassed() {
  static auto* table = new std::vector<std::pair<HWND, CWnd*>>;
  return *table;
}

CWnd* SubclassedObject(HWND hWnd) {
  for (const auto& [handle, wnd] : subclassed()) {
    if (handle == hWnd) return wnd;
  }
  return nullptr;
}

BOOL CALLBACK ForgetChildText(HWND hChild, LPARAM /*unused*/) {
  framework::ForgetWindowText(hChild);
  return TRUE;
}

}  // namespace

CWnd::CWnd() { liveWindows().push_back(this); }

CWnd::~CWnd() {
  CWinApp* app = AfxGetApp();
  if (app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
  std::erase(liveWindows(), this);
  std::erase_if(subclassed(), [this](const auto& entry) { return entry.second == this; });
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_hWnd == nullptr) return AfxCallWndProc(this, message, wParam, lParam);
  const LRESULT result = ::SendMessageW(m_hWnd, message, wParam, lParam);
  // A control's new state reaches the screen at once, also while the
  // program's one thread goes on to wait.
  if (message == PBM_SETPOS || message == PBM_SETRANGE) ::UpdateWindow(m_hWnd);
  return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Commands nobody in the window handled go to the application.
  if (message == WM_COMMAND && lParam == 0 && AfxGetApp() != nullptr &&
      AfxGetApp()->OnCmdMsg(LOWORD(wParam), HIWORD(wParam))) {
    return 0;
  }
  if (m_pfnSuper != nullptr) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  if (m_hWnd != nullptr) return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
  return 0;
}

LRESULT CALLBACK CWnd::FrameworkWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = SubclassedObject(hWnd);
  if (wnd == nullptr) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  // Text the program sets is no user's edit: its EN_CHANGE goes nowhere.
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && framework::SettingWindowText()) return 0;
  if (message == WM_DESTROY) {
    framework::ForgetWindowText(hWnd);
    ::EnumChildWindows(hWnd, &ForgetChildText, 0);
  }
  if (message != WM_NCDESTROY) return AfxCallWndProc(wnd, message, wParam, lParam);
  const LRESULT result = ::CallWindowProcW(wnd->m_pfnSuper, hWnd, message, wParam, lParam);
  wnd->OnWindowGone();
  return result;
}

void CWnd::SubclassWindow(HWND hWnd) {
  m_hWnd = hWnd;
  subclassed().emplace_back(hWnd, this);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::FrameworkWindowProc)));
}

void CWnd::OnWindowGone() {
  const HWND gone = m_hWnd;
  std::erase_if(subclassed(), [gone](const auto& entry) { return entry.first == gone; });
  // The controls went with the window, also those that wrappers elsewhere hold.
  for (CWnd* wnd : liveWindows()) {
    if (wnd != this && wnd->m_hWnd != nullptr && !::IsWindow(wnd->m_hWnd)) wnd->m_hWnd = nullptr;
  }
  m_children.clear();
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
}

void CWnd::SetWindowText(LPCSTR lpszString) { framework::SetWindowBytes(m_hWnd, CString(lpszString)); }

void CWnd::GetWindowText(CString& rString) const { rString = framework::WindowBytes(m_hWnd); }

void CWnd::GetClientRect(LPRECT lpRect) const {
  if (lpRect == nullptr) return;
  *lpRect = RECT{0, 0, 0, 0};
  if (m_hWnd != nullptr) ::GetClientRect(m_hWnd, lpRect);
}

BOOL CWnd::IsIconic() const { return m_hWnd != nullptr && ::IsIconic(m_hWnd) ? TRUE : FALSE; }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  if (m_hWnd == nullptr) return nullptr;
  // The small icon is the icon's own small image where it has one.
  const HICON shown = bBigIcon ? hIcon : framework::IconAtSize(hIcon, ::GetSystemMetrics(SM_CXSMICON));
  return reinterpret_cast<HICON>(
      ::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(shown)));
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
  if (m_hWnd == nullptr) return nullptr;
  const HMENU menu = ::GetSystemMenu(m_hWnd, bRevert);
  if (bRevert || menu == nullptr) return nullptr;
  if (!m_pSystemMenu) m_pSystemMenu = std::make_unique<CMenu>();
  m_pSystemMenu->m_hMenu = menu;
  return m_pSystemMenu.get();
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
  const HWND owner = m_hWnd != nullptr ? ::GetAncestor(m_hWnd, GA_ROOT) : nullptr;
  return framework::ShowMessageBox({owner, CString(lpszText), CString(lpszCaption), nType});
}

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  const HWND window = m_hWnd;
  if (m_pfnSuper == nullptr) m_hWnd = nullptr;  // a control: its dialog destroys it
  return m_pfnSuper != nullptr ? ::DestroyWindow(window) : TRUE;
}

void CWnd::Attach(HWND hWnd, int controlId) {
  m_hWnd = hWnd;
  m_nControlId = controlId;
}
