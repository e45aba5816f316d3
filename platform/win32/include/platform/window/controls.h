#pragma once
// The controls of the program's dialogs: the system's own. Their messages go
// to the real control; the members here carry the program's bytes across.
#include "platform/window/cwnd.h"

class CEdit : public CWnd {};
class CButton : public CWnd {};
class CStatic : public CWnd {};

// A single-selection list box. Each line keeps the program's bytes beside
// the text the list shows for them, so that GetText gives them back as
// they were added; with LBS_SORT the system keeps the lines in its order.
class CListBox : public CWnd {
 public:
  int AddString(LPCSTR lpszItem);                    // the new line's index, or LB_ERR
  int GetCurSel() const;                             // LB_ERR when nothing is selected
  int GetText(int nIndex, LPSTR lpszBuffer) const;   // length, or LB_ERR
  void GetText(int nIndex, CString& rString) const;  // empty for a bad index
  int GetTextLen(int nIndex) const;
  int GetCount() const;
  int SetCurSel(int nSelect);
};

// Set by the messages PBM_SETRANGE and PBM_SETPOS; a new position shows at once.
class CProgressCtrl : public CWnd {};
