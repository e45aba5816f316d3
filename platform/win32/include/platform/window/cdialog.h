#pragma once
#include <functional>

#include "platform/window/cwnd.h"

// A dialog of the system, built from a registered template: the template
// becomes an in-memory dialog template in dialog units, so the system lays
// it out. DoModal runs it in the system's modal loop until EndDialog; Create
// shows it without a loop (modeless), which is also how tests drive a dialog.
class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  virtual INT_PTR DoModal();  // the EndDialog result; -1 when the dialog cannot be made
  BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  void EndDialog(int nResult);
  BOOL DestroyWindow() override;

  UINT templateId() const { return m_nIDTemplate; }
  bool ended() const { return m_bEnded; }
  // True while a close request (WM_CLOSE) for this dialog waits in the
  // thread's queue: the blocking hook leaves it there while a handler
  // waits, and ends the wait, so the handler can stop and return.
  bool closeRequested() const;

  DECLARE_MESSAGE_MAP()

 protected:
  virtual BOOL OnInitDialog();  // TRUE: focus goes to the first tab stop
  virtual void OnOK();
  virtual void OnCancel();

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND OwnerWindow() const;
  LRESULT TakeWindow(HWND hWnd, WPARAM firstFocus);
  void PlaceWindow();
  void ModalLoopStarted();

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  int m_nModalResult = -1;
  bool m_bEnded = false;
  bool m_bModal = false;
};

namespace framework {

// Test and tooling seam: while installed, the hook is called for every modal
// dialog once it has been initialised and shown, from its loop's first
// turn. A hook that ends the dialog (EndDialog) ends the loop.
using ModalDialogHook = std::function<void(CDialog&)>;

class ScopedModalDialogHook {
 public:
  explicit ScopedModalDialogHook(ModalDialogHook hook);
  ~ScopedModalDialogHook();
  ScopedModalDialogHook(const ScopedModalDialogHook&) = delete;
  ScopedModalDialogHook& operator=(const ScopedModalDialogHook&) = delete;

 private:
  ModalDialogHook m_previous;
};

}  // namespace framework
