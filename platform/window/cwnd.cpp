#include "platform/window/cwnd.h"

#include <utility>

#include "platform/window/cmenu.h"
#include "platform/window/ddx.h"

LRESULT CWnd::Default() { return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (DispatchFromMap({message, wParam, lParam}, &result)) return result;
  return DefWindowProc(message, wParam, lParam);
}

void CWnd::OnSysCommand(UINT /*nID*/, LPARAM /*lParam*/) { Default(); }

CWnd* CWnd::GetDlgItem(int nID) const {
  auto it = m_children.find(nID);
  return it != m_children.end() && it->second->HasWindow() ? it->second.get() : nullptr;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CWnd::DoDataExchange(CDataExchange* /*pDX*/) {}

void CWnd::AddChild(int controlId, std::unique_ptr<CWnd> child) { m_children[controlId] = std::move(child); }
