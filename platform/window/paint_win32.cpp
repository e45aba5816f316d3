#include "platform/window/paint.h"

#include "platform/window/cwnd.h"

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
  if (m_hDC == nullptr || hIcon == nullptr) return FALSE;
  return ::DrawIcon(m_hDC, x, y, hIcon);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd) {
  if (pWnd != nullptr && pWnd->m_hWnd != nullptr) m_hDC = ::BeginPaint(pWnd->m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
  if (m_hDC != nullptr) ::EndPaint(m_pWnd->m_hWnd, &m_ps);
}
