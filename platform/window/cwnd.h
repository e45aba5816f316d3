#pragma once
#include <map>
#include <memory>

#include "platform/framework/cstring.h"
#include "platform/framework/message_box.h"
#include "platform/window/ccmdtarget.h"
#include "platform/window/cwnd_types.h"
#include "platform/window/window_defs.h"

class CDataExchange;
class CMenu;

// A window: a dialog or one of its controls. Messages run the class's
// message map inside the window-procedure guard (AfxCallWndProc); what the
// map leaves goes to DefWindowProc. What the window stands on (the system's
// handle, or a toolkit widget) is the system's part, cwnd_members.h.
class CWnd : public CCmdTarget {
 public:
  CWnd();
  ~CWnd() override;

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Passes the message being handled to the default procedure.
  LRESULT Default();

  int GetDlgCtrlID() const { return m_nControlId; }
  CWnd* GetDlgItem(int nID) const;  // null when the window has no such control

  void SetWindowText(LPCSTR lpszString);
  void GetWindowText(CString& rString) const;

  void GetClientRect(LPRECT lpRect) const;
  BOOL IsIconic() const;

  HICON SetIcon(HICON hIcon, BOOL bBigIcon);  // returns the previous icon

  // bRevert FALSE: the window's system menu, for the program to add to;
  // TRUE: back to the standard items, and null is returned.
  CMenu* GetSystemMenu(BOOL bRevert);

  // A message box owned by this window; a null caption means the application's name.
  int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);

  // FALSE: members to controls; TRUE: controls to members.
  virtual BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  virtual void DoDataExchange(CDataExchange* pDX);

  virtual BOOL DestroyWindow();

  void AddChild(int controlId, std::unique_ptr<CWnd> child);

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Default handlers the program's classes call as their base behaviour.
  void OnSysCommand(UINT nID, LPARAM lParam);

 private:
  friend LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);

  int m_nControlId = 0;
  framework::Message m_currentMsg{WM_NULL, 0, 0};
  std::map<int, std::unique_ptr<CWnd>> m_children;
  std::unique_ptr<CMenu> m_pSystemMenu;

  // The system's members, each section with its own access.
#include "platform/window/cwnd_members.h"  // IWYU pragma: keep
};

// The window procedure: dispatches one message to a window inside the guard.
// A CException* escaping a handler is reported with ReportError and deleted;
// any other exception is reported with its text; the window goes on.
LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);
