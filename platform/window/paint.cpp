#include "platform/window/paint.h"

#include <QPainter>
#include <QWidget>

#include "platform/window/cwnd.h"
#include "platform/window/icon_resource_qt.h"

namespace {
// The widget whose paint event is running on the GUI thread, or null.
QWidget* g_paintTarget = nullptr;
int g_paintDepth = 0;
constexpr int kIconSize = 32;
}  // namespace

int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON: return kIconSize;
    default: return 0;
  }
}

CDC::CDC() = default;
CDC::~CDC() = default;

HDC CDC::GetSafeHdc() const {
  return m_painter && m_painter->isActive() ? reinterpret_cast<HDC>(const_cast<CDC*>(this)) : nullptr;
}

CDC* CDC::FromHandle(HDC hDC) { return reinterpret_cast<CDC*>(hDC); }

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
  if (GetSafeHdc() == nullptr || hIcon == nullptr) return FALSE;
  const int cx = GetSystemMetrics(SM_CXICON);
  const int cy = GetSystemMetrics(SM_CYICON);
  // Drawn at the size the device needs, so the icon is sharp on a scaled screen too.
  framework::ToQIcon(hIcon).paint(m_painter.get(), QRect(x, y, cx, cy));
  return TRUE;
}

void CDC::EraseBackground(LPCRECT lpRect) {
  if (GetSafeHdc() == nullptr || m_target == nullptr) return;
  const QRect area = lpRect != nullptr
                         ? QRect(QPoint(lpRect->left, lpRect->top), QPoint(lpRect->right - 1, lpRect->bottom - 1))
                         : m_target->rect();
  m_painter->fillRect(area, m_target->palette().brush(m_target->backgroundRole()));
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd) {
  // Only the widget that is painting right now accepts a painter.
  QWidget* target = g_paintTarget;
  if (pWnd == nullptr || target == nullptr) return;
  if (pWnd->widget() == nullptr || (target != pWnd->widget() && target->window() != pWnd->widget())) return;
  m_target = target;
  m_painter = std::make_unique<QPainter>(target);
}

CPaintDC::~CPaintDC() {
  if (m_painter) m_painter->end();
}

namespace framework {

bool IsPainting() { return g_paintDepth > 0; }

PaintScope::PaintScope(QWidget* target) : m_previous(g_paintTarget) {
  g_paintTarget = target;
  ++g_paintDepth;
}

PaintScope::~PaintScope() {
  g_paintTarget = m_previous;
  --g_paintDepth;
}

}  // namespace framework
