#pragma once
// The controls of the program's dialogs. Their operations are messages to
// the control, so they also work through SendMessage: the system's own
// control answers them where there is one (Windows), the wrapper's
// DefWindowProc over the toolkit's widget elsewhere.
#include "platform/framework/list_order.h"
#include "platform/window/cwnd.h"

class CEdit : public CWnd {};
class CButton : public CWnd {};
class CStatic : public CWnd {};

// A single-selection list box. GetText gives each line's bytes back as they
// were added. With LBS_SORT the lines are kept in the list box's order:
// the system's own, or over the toolkit that of the platform's list box
// (CompareListBoxText: without regard to case, Latin-1 letters folded to one
// case, other characters by code; a line equal to existing ones goes after
// them).
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
