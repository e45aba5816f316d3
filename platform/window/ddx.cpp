#include "platform/window/ddx.h"

#include "platform/window/cwnd.h"

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  CWnd* control = pDX->m_pDlgWnd != nullptr ? pDX->m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
  if (control == nullptr) return;  // the window does not exist (yet)
  if (pDX->m_bSaveAndValidate) {
    control->GetWindowText(value);
  } else {
    control->SetWindowText(value);
  }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.HasWindow()) return;
  CWnd* control = pDX->m_pDlgWnd != nullptr ? pDX->m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
  if (control != nullptr) rControl.AttachWindowOf(*control, nIDC);
}
