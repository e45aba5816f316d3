#pragma once
#include "platform/framework/cstring.h"
#include "platform/kernel/windef.h"

class CWnd;

// One run of a window's DoDataExchange: direction and the window.
class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  BOOL m_bSaveAndValidate;  // TRUE: controls to members
  CWnd* m_pDlgWnd;
};

// Text of control nIDC to or from `value`. Setting shows the new text at once.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Attaches `rControl` to control nIDC the first time; later runs do nothing.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
