#include "platform/window/control_widgets.h"

namespace framework {

ListBoxWidget::ListBoxWidget(DWORD style, QWidget* parent) : QListWidget(parent), m_style(style) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);  // sorted insertion is the framework's, with the platform's order
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextElideMode(Qt::ElideNone);  // long lines are cut at the edge, not shortened with an ellipsis
  setVerticalScrollBarPolicy((style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setFrameShape((style & WS_BORDER) != 0 ? QFrame::StyledPanel : QFrame::NoFrame);
}

void ListBoxWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  if ((m_style & LBS_NOTIFY) != 0 && m_onDoubleClick) m_onDoubleClick();
}

}  // namespace framework
