#pragma once
#include <functional>
#include <memory>

#include "platform/window/cwnd.h"

namespace framework {
class DialogWindow;
}

// A dialog built from a registered template. DoModal runs it in a nested
// event loop until EndDialog; Create shows it without a loop (modeless),
// which is also how tests drive a dialog.
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
  // A close request (close box, Escape) waits for a handler of the dialog to
  // return; the handler should end its work soon.
  bool closeRequested() const;

  DECLARE_MESSAGE_MAP()

 protected:
  virtual BOOL OnInitDialog();  // TRUE: focus goes to the first tab stop
  virtual void OnOK();
  virtual void OnCancel();

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  QWidget* clientWidget() const override;

 private:
  bool CreateWindow(bool modal);
  void RunModalLoop();

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  framework::DialogWindow* m_window = nullptr;
  int m_nModalResult = -1;
  bool m_bEnded = false;
  void* m_pModalLoop = nullptr;  // the running QEventLoop, if any

  friend class framework::DialogWindow;
};

namespace framework {

// Test and tooling seam: while installed, the hook is called for every modal
// dialog once it has been initialised and shown, before its loop starts. A
// hook that ends the dialog (EndDialog) keeps the loop from running at all.
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
