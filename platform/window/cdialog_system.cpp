// The dialog over the toolkit: a DialogWindow and a nested event loop.
#include "platform/window/cdialog.h"

#include <QEventLoop>

#include "platform/window/blocking_wait_hook.h"
#include "platform/window/cwinapp.h"
#include "platform/window/dialog_builder.h"
#include "platform/window/dialog_window.h"
#include "platform/window/modal_dialog_hook.h"

namespace framework {

void SetMainWindowWidget(QWidget* widget);  // the owner of application message boxes

}  // namespace framework

bool CDialog::CreateWindow(bool modal) {
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(m_nIDTemplate);
  if (dialogTemplate == nullptr || m_window != nullptr) return false;
  CWinApp* app = AfxGetApp();
  // Without a parent, a dialog belongs to the application's main window.
  CWnd* parent = m_pParentWnd != nullptr ? m_pParentWnd : (app != nullptr ? app->m_pMainWnd : nullptr);
  QWidget* parentWidget = parent != nullptr && parent != this ? parent->widget() : nullptr;
  m_window = new framework::DialogWindow(this, *dialogTemplate, parentWidget);
  m_window->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
  AttachWidget(m_window, 0);
  if (app != nullptr && app->m_pMainWnd == this) framework::SetMainWindowWidget(m_window);
  framework::InstallBlockingHook(/*onlyIfNone=*/true);
  framework::BuildControls(*this, *m_window, *dialogTemplate);
  m_window->placeCentred();
  m_bEnded = false;
  m_nModalResult = -1;
  if (SendMessage(WM_INITDIALOG) != 0) {
    const QWidget* client = m_window->client();
    for (QWidget* w = client->nextInFocusChain(); w != client && w != m_window; w = w->nextInFocusChain()) {
      if (w->parentWidget() == client && w->focusPolicy() == Qt::StrongFocus && w->isEnabled()) {
        w->setFocus(Qt::TabFocusReason);
        break;
      }
    }
  }
  return true;
}

INT_PTR CDialog::DoModal() {
  if (!CreateWindow(/*modal=*/true)) return -1;
  if (!m_bEnded) {
    m_window->show();
    framework::RunModalDialogHook(*this);
  }
  if (!m_bEnded) RunModalLoop();
  DestroyWindow();
  return m_nModalResult;
}

void CDialog::RunModalLoop() {
  QEventLoop loop;
  m_pModalLoop = &loop;
  loop.exec(QEventLoop::DialogExec);
  m_pModalLoop = nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDTemplate = nIDTemplate;
  m_pParentWnd = pParentWnd;
  if (!CreateWindow(/*modal=*/false)) return FALSE;
  if (!m_bEnded) m_window->show();
  return TRUE;
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  m_bEnded = true;
  if (m_window != nullptr) m_window->hide();
  if (m_pModalLoop != nullptr) static_cast<QEventLoop*>(m_pModalLoop)->exit(nResult);
}

BOOL CDialog::DestroyWindow() {
  if (m_window == nullptr) return FALSE;
  m_window->detach();
  m_window = nullptr;
  return CWnd::DestroyWindow();
}

bool CDialog::closeRequested() const { return m_window != nullptr && m_window->closePending(); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  return CWnd::WindowProc(message, wParam, lParam);
}

QWidget* CDialog::clientWidget() const { return m_window != nullptr ? m_window->client() : nullptr; }
