#include "platform/window/control_widgets.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>
#include <QStylePainter>
#include <algorithm>

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

bool ListBoxWidget::choosesLine(const QKeyEvent* event) const {
  const bool key = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  return key && plain && currentItem() != nullptr && (m_style & LBS_NOTIFY) != 0 && m_onDoubleClick;
}

void ListBoxWidget::keyPressEvent(QKeyEvent* event) {
  if (!choosesLine(event)) {
    QListWidget::keyPressEvent(event);
    return;
  }
  currentItem()->setSelected(true);
  event->accept();
  m_onDoubleClick();
}

void ListBoxWidget::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (!hasFocus() || currentItem() != nullptr) return;
  QStyleOptionFocusRect focus;
  focus.initFrom(this);
  focus.rect = QRect(0, 0, viewport()->width(), fontMetrics().height() + 2);
  focus.backgroundColor = palette().color(QPalette::Base);
  QPainter painter(viewport());
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

GroupBoxWidget::GroupBoxWidget(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

QRect GroupBoxWidget::frameRect() const { return rect().adjusted(0, fontMetrics().height() / 2, 0, 0); }

// The title starts one average character in from the frame's left edge, with
// half a character of gap on each side, as the platform draws it.
QRect GroupBoxWidget::titleRect() const {
  const QFontMetrics metrics = fontMetrics();
  const int gap = metrics.averageCharWidth() / 2;
  const int width = metrics.horizontalAdvance(title()) + 2 * gap;
  return QRect(metrics.averageCharWidth(), 0, std::min(width, rect().width() - metrics.averageCharWidth()),
               metrics.height());
}

// An etched line, as the platform draws group frames. (The styles' own group
// frame moves itself below a title of the group box's height.)
void GroupBoxWidget::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  qDrawShadeRect(&painter, frameRect(), palette(), /*sunken=*/true, /*lineWidth=*/1, /*midLineWidth=*/0);
  if (title().isEmpty()) return;
  const QRect titleArea = titleRect();
  painter.fillRect(titleArea, palette().brush(backgroundRole()));  // the gap in the frame line
  painter.drawItemText(titleArea, Qt::AlignCenter | Qt::TextSingleLine, palette(), isEnabled(), title(),
                       QPalette::WindowText);
}

IconWidget::IconWidget(const QIcon& icon, QWidget* parent) : QWidget(parent), m_icon(icon) {}

void IconWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  m_icon.paint(&painter, rect());
}

}  // namespace framework
