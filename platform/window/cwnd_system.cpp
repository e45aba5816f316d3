// The window over a toolkit widget.
#include "platform/window/cwnd.h"

#include <QWidget>
#include <QWindow>

#include "platform/window/cmenu.h"
#include "platform/window/cwinapp.h"
#include "platform/window/icon_resource_qt.h"
#include "platform/window/paint.h"
#include "platform/window/system_menu.h"
#include "platform/window/window_text.h"

CWnd::CWnd() = default;

CWnd::~CWnd() {
  CWinApp* app = AfxGetApp();
  if (app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return AfxCallWndProc(this, message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOMMAND: return DefaultSystemCommand(static_cast<UINT>(wParam) & kSystemCommandMask);
    case WM_ICONERASEBKGND:
      if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam))) dc->EraseBackground(nullptr);
      return 1;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(m_hIconBig);
    case WM_COMMAND:
      // Commands nobody in the window handled go to the application.
      if (lParam == 0 && AfxGetApp() != nullptr) return AfxGetApp()->OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
      return 0;
    default: return 0;
  }
}

LRESULT CWnd::DefaultSystemCommand(UINT nID) {
  QWidget* window = widget() != nullptr ? widget()->window() : nullptr;
  if (nID == SC_CLOSE) return SendMessage(WM_CLOSE);
  if (window == nullptr) return 0;
  switch (nID) {
    case SC_MINIMIZE: window->showMinimized(); break;
    case SC_MAXIMIZE: window->showMaximized(); break;
    case SC_RESTORE: window->showNormal(); break;
    case SC_MOVE:
      if (window->windowHandle() != nullptr) window->windowHandle()->startSystemMove();
      break;
    default: break;  // sizing: the program's windows have fixed sizes
  }
  return 0;
}

void CWnd::SetWindowText(LPCSTR lpszString) { framework::SetWidgetText(widget(), CString(lpszString)); }

void CWnd::GetWindowText(CString& rString) const { rString = framework::WidgetText(widget()); }

void CWnd::GetClientRect(LPRECT lpRect) const {
  if (lpRect == nullptr) return;
  const QWidget* client = clientWidget();
  *lpRect = RECT{0, 0, client != nullptr ? client->width() : 0, client != nullptr ? client->height() : 0};
}

BOOL CWnd::IsIconic() const { return widget() != nullptr && widget()->window()->isMinimized() ? TRUE : FALSE; }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  HICON& slot = bBigIcon ? m_hIconBig : m_hIconSmall;
  const HICON previous = slot;
  slot = hIcon;
  // The toolkit keeps one icon with all its sizes; the big one wins when both are set.
  if (widget() != nullptr && widget()->isWindow()) {
    widget()->setWindowIcon(framework::ToQIcon(m_hIconBig != nullptr ? m_hIconBig : m_hIconSmall));
  }
  return previous;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
  if (!m_pSystemMenu) m_pSystemMenu = std::make_unique<CMenu>();
  if (bRevert || m_pSystemMenu->GetMenuItemCount() == 0) {
    m_pSystemMenu->RemoveAll();
    framework::AppendStandardSystemItems(*m_pSystemMenu);
  }
  return bRevert ? nullptr : m_pSystemMenu.get();
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
  QWidget* owner = widget() != nullptr ? widget()->window() : nullptr;
  return framework::ShowMessageBox({owner, CString(lpszText), CString(lpszCaption), nType});
}

BOOL CWnd::DestroyWindow() {
  QWidget* window = widget();
  if (window == nullptr) return FALSE;
  m_children.clear();
  m_widget.reset();
  if (window->isWindow()) delete window;  // controls go with their dialog
  return TRUE;
}

void CWnd::AttachWidget(QWidget* w, int controlId) {
  m_widget.reset(w);
  m_nControlId = controlId;
}
