#pragma once
#include <functional>

#include "platform/window/cwnd.h"

// A dialog built from a registered template. DoModal runs it in a modal
// loop until EndDialog; Create shows it without a loop (modeless), which is
// also how tests drive a dialog. How the system builds and runs it is the
// system's part, cdialog_members.h.
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
  // True when a close request (close box, Escape) waits for a handler of
  // the dialog to return; the handler should end its work soon.
  bool closeRequested() const;

  DECLARE_MESSAGE_MAP()

 protected:
  virtual BOOL OnInitDialog();  // TRUE: focus goes to the first tab stop
  virtual void OnOK();
  virtual void OnCancel();

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  int m_nModalResult = -1;
  bool m_bEnded = false;

  // The system's members, each section with its own access.
#include "platform/window/cdialog_members.h"  // IWYU pragma: keep
};

namespace framework {

// Test and tooling seam: while installed, the hook is called for every modal
// dialog once it has been initialised and shown, before its loop takes any
// input. A hook that ends the dialog (EndDialog) ends it before the loop
// takes any.
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
