#pragma once
#include <map>
#include <memory>

#include "platform/framework/cstring.h"
#include "platform/framework/message_box.h"
#include "platform/window/ccmdtarget.h"
#include "platform/window/window_defs.h"

class CDataExchange;
class CMenu;

// A window of the system: a dialog or one of its controls, by its handle.
// A dialog's own window procedure is the framework's: every message runs
// the class's message map inside the window-procedure guard, and what the
// map leaves goes to the system's dialog procedure (DefWindowProc). The
// controls keep the system's procedures; a message to a control goes to it.
class CWnd : public CCmdTarget {
 public:
  CWnd();
  ~CWnd() override;

  // To the window itself (SendMessageW); without a window, through the map.
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

  HWND GetSafeHwnd() const { return m_hWnd; }
  // A control of a dialog: the wrapper takes the handle (no procedure of its own).
  void Attach(HWND hWnd, int controlId);
  void AddChild(int controlId, std::unique_ptr<CWnd> child);

  HWND m_hWnd = nullptr;

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Default handlers the program's classes call as their base behaviour.
  void OnSysCommand(UINT nID, LPARAM lParam);

  // The window's procedure becomes the framework's; the system's is called
  // for what the map leaves.
  void SubclassWindow(HWND hWnd);
  // The window is gone: the object lets go of it and of its controls.
  virtual void OnWindowGone();

 private:
  friend LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameworkWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  int m_nControlId = 0;
  WNDPROC m_pfnSuper = nullptr;
  framework::Message m_currentMsg{WM_NULL, 0, 0};
  std::map<int, std::unique_ptr<CWnd>> m_children;
  std::unique_ptr<CMenu> m_pSystemMenu;
};

// The window procedure: dispatches one message to a window inside the guard.
// A CException* escaping a handler is reported with ReportError and deleted;
// any other exception is reported with its text; the window goes on.
LRESULT AfxCallWndProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);
