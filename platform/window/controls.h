#pragma once
// The controls of the program's dialogs. Each wraps the toolkit widget made
// from the dialog template; its operations are messages to the control, so
// they also work through SendMessage.
#include "platform/framework/list_order.h"
#include "platform/window/cwnd.h"

class CEdit : public CWnd {};
class CButton : public CWnd {};
class CStatic : public CWnd {};

// A single-selection list box. With LBS_SORT, lines are kept in order,
// compared without regard to case as the platform's list box does (Latin-1
// letters folded to one case, other characters by code); a line equal to
// existing ones goes after them.
class CListBox : public CWnd {
 public:
  int AddString(LPCSTR lpszItem);                    // the new line's index, or LB_ERR
  int GetCurSel() const;                             // LB_ERR when nothing is selected
  int GetText(int nIndex, LPSTR lpszBuffer) const;   // length, or LB_ERR
  void GetText(int nIndex, CString& rString) const;  // empty for a bad index
  int GetTextLen(int nIndex) const;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Set by the messages PBM_SETRANGE and PBM_SETPOS; a new position shows at once.
class CProgressCtrl : public CWnd {
 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
