// The dialog over the system's own: an in-memory template and the system's
// modal loop.
#include "platform/window/cdialog.h"

#include <memory>
#include <string>

#include "platform/window/blocking_wait_hook.h"
#include "platform/window/controls.h"
#include "platform/window/cwinapp.h"
#include "platform/window/dialog_memory_template.h"
#include "platform/window/icon_resource.h"
#include "platform/window/modal_dialog_hook.h"

namespace framework {
namespace {

// Posted to a modal dialog once its initialisation has returned: it arrives
// from the modal loop's first turns. Posted any earlier, a message box of the
// initialisation would take it in its own loop.
UINT ModalStartedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"VeloxaQuillmar.ModalStarted");
  return message;
}

std::unique_ptr<CWnd> WrapperFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit: return std::make_unique<CEdit>();
    case ControlKind::PushButton:
    case ControlKind::GroupBox: return std::make_unique<CButton>();
    case ControlKind::ListBox: return std::make_unique<CListBox>();
    case ControlKind::ProgressBar: return std::make_unique<CProgressCtrl>();
    case ControlKind::Label:
    case ControlKind::Icon: return std::make_unique<CStatic>();
  }
  return std::make_unique<CWnd>();
}

// The stand-in font can be wider than the one the rectangles were made for
// (the system substitutes its own for "MS Sans Serif"): a label grows to show
// its whole text on its line rather than wrap it out of sight.
void FitLabel(HWND label) {
  const int length = ::GetWindowTextLengthW(label);
  if (length <= 0) return;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::GetWindowTextW(label, text.data(), length + 1);
  const HDC dc = ::GetDC(label);
  const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
  ::SelectObject(dc, previous);
  ::ReleaseDC(label, dc);
  RECT rect{};
  ::GetClientRect(label, &rect);
  if (extent.cx <= rect.right) return;
  ::SetWindowPos(label, nullptr, 0, 0, extent.cx, rect.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Ctrl+A selects the whole text, as a user of the system expects of an edit
// field; the system's edit would take it as a character it cannot show.
LRESULT CALLBACK EditKeys(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  constexpr WPARAM kCtrlA = 0x01;
  if (message == WM_CHAR && wParam == kCtrlA) {
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    return 0;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(edit, &EditKeys, 0);
  return ::DefSubclassProc(edit, message, wParam, lParam);
}

// The templates' font is a bitmap font on the system, and edits in a bitmap
// font have no inner margins; the fields are only as wide as that needs. A
// stand-in TrueType font would add margins of half a character on each side
// and cut short values ("Race" in a field four characters wide).
void PrepareEdit(HWND edit) {
  ::SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
  ::SetWindowSubclass(edit, &EditKeys, 0, 0);
}

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    return ::InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

}  // namespace

}  // namespace framework

// Without a parent, a dialog belongs to the application's main window.
HWND CDialog::OwnerWindow() const {
  CWinApp* app = AfxGetApp();
  const CWnd* parent = m_pParentWnd != nullptr ? m_pParentWnd : (app != nullptr ? app->m_pMainWnd : nullptr);
  return parent != nullptr && parent != this ? parent->m_hWnd : nullptr;
}

INT_PTR CALLBACK CDialog::DialogProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Once the dialog is the framework's, its own procedure sees every message
  // first; this one only hands the window over.
  if (message != WM_INITDIALOG) return FALSE;
  return reinterpret_cast<CDialog*>(lParam)->TakeWindow(hWnd, wParam);
}

LRESULT CDialog::TakeWindow(HWND hWnd, WPARAM firstFocus) {
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(m_nIDTemplate);
  SubclassWindow(hWnd);
  // The system makes the controls in template order, which is also their
  // order among the dialog's children; the labels all share one id.
  HWND control = ::GetWindow(hWnd, GW_CHILD);
  for (const framework::ControlTemplate& c : dialogTemplate->controls) {
    if (control == nullptr) break;
    if (c.kind == framework::ControlKind::Icon) {
      ::SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(framework::LoadIconResource(c.imageId)), 0);
    }
    if (c.kind == framework::ControlKind::Label) framework::FitLabel(control);
    if (c.kind == framework::ControlKind::Edit) framework::PrepareEdit(control);
    if (c.id != IDC_STATIC) {
      std::unique_ptr<CWnd> wrapper = framework::WrapperFor(c.kind);
      wrapper->Attach(control, c.id);
      AddChild(c.id, std::move(wrapper));
    }
    control = ::GetWindow(control, GW_HWNDNEXT);
  }
  if (dialogTemplate->menuId != 0) ::SetMenu(hWnd, framework::BuildMenuBar(dialogTemplate->menuId));
  PlaceWindow();
  const LRESULT focus = AfxCallWndProc(this, WM_INITDIALOG, firstFocus, 0);
  if (m_bModal) ::PostMessageW(hWnd, framework::ModalStartedMessage(), 0, 0);
  return focus;
}

// The template's size is the client area's; the menu bar comes on top of
// it. The window opens centred on its owner or, without one, on the screen's
// work area, before it is initialised: a message box from the
// initialisation then opens centred on it, as the window will appear.
void CDialog::PlaceWindow() {
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(m_nIDTemplate);
  RECT frame{0, 0, dialogTemplate->cx, dialogTemplate->cy};
  ::MapDialogRect(m_hWnd, &frame);
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
  ::AdjustWindowRectEx(&frame, style, ::GetMenu(m_hWnd) != nullptr, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT area{};
  const HWND owner = OwnerWindow();
  if (owner == nullptr || !::IsWindowVisible(owner) || !::GetWindowRect(owner, &area)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialog::DoModal() {
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(m_nIDTemplate);
  if (dialogTemplate == nullptr || m_hWnd != nullptr) return -1;
  framework::EnsureCommonControls();
  framework::InstallBlockingHook(/*onlyIfNone=*/true);
  const framework::MemoryDialogTemplate memory(*dialogTemplate);
  m_bModal = true;
  m_bEnded = false;
  m_nModalResult = -1;
  const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), memory.get(), OwnerWindow(),
                                                   &CDialog::DialogProcedure, reinterpret_cast<LPARAM>(this));
  m_bModal = false;
  return result == -1 ? -1 : m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDTemplate = nIDTemplate;
  m_pParentWnd = pParentWnd;
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(m_nIDTemplate);
  if (dialogTemplate == nullptr || m_hWnd != nullptr) return FALSE;
  framework::EnsureCommonControls();
  framework::InstallBlockingHook(/*onlyIfNone=*/true);
  const framework::MemoryDialogTemplate memory(*dialogTemplate);
  m_bModal = false;
  m_bEnded = false;
  m_nModalResult = -1;
  const HWND window = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), memory.get(), OwnerWindow(),
                                                   &CDialog::DialogProcedure, reinterpret_cast<LPARAM>(this));
  if (window == nullptr) return FALSE;
  if (!m_bEnded) {
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
  }
  return TRUE;
}

bool CDialog::closeRequested() const {
  MSG msg{};
  return m_hWnd != nullptr && ::PeekMessageW(&msg, m_hWnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
}

void CDialog::ModalLoopStarted() {
  if (m_bEnded) return;
  ::ShowWindow(m_hWnd, SW_SHOW);
  ::UpdateWindow(m_hWnd);
  framework::RunModalDialogHook(*this);
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  m_bEnded = true;
  if (m_hWnd == nullptr) return;
  if (m_bModal) {
    ::EndDialog(m_hWnd, nResult);
  } else {
    ::ShowWindow(m_hWnd, SW_HIDE);
  }
}

BOOL CDialog::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  return CWnd::DestroyWindow();
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  if (message == framework::ModalStartedMessage()) {
    ModalLoopStarted();
    return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}
