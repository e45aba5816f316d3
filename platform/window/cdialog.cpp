#include "platform/window/cdialog.h"

#include <utility>

#include "platform/window/modal_dialog_hook.h"

namespace framework {

namespace {
ModalDialogHook& modalHook() {
  static auto* hook = new ModalDialogHook;
  return *hook;
}
}  // namespace

ScopedModalDialogHook::ScopedModalDialogHook(ModalDialogHook hook) : m_previous(std::move(modalHook())) {
  modalHook() = std::move(hook);
}

ScopedModalDialogHook::~ScopedModalDialogHook() { modalHook() = std::move(m_previous); }

void RunModalDialogHook(CDialog& dialog) {
  if (modalHook()) modalHook()(dialog);
}

}  // namespace framework

const framework::MessageMap& CDialog::GetThisMessageMap() {
  using namespace framework::msgmap;
  // A message map is a table: one entry a line, as written.
  // clang-format off
  static const framework::MessageMap map(&CWnd::GetThisMessageMap(), {
      Command(IDOK, &CDialog::OnOK),
      Command(IDCANCEL, &CDialog::OnCancel),
  });
  // clang-format on
  return map;
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() { DestroyWindow(); }

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// A close request (the close box, Alt+F4) ends in WM_CLOSE: the cancel
// command, at once.
LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return CWnd::DefWindowProc(message, wParam, lParam);
}
