#include "platform/window/window_style.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionFocusRect>

namespace framework {
namespace {

// Inside the button's frame, around its text, as the platform draws it.
constexpr int kButtonCueInset = 3;

// Dark on light ground, light on dark (a selected line).
QColor CueColour(const QStyleOption* option) {
  const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option);
  if (focus != nullptr && focus->backgroundColor.isValid()) {
    return focus->backgroundColor.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
  }
  return option->palette.color(QPalette::WindowText);
}

// A chevron, », pointing right (or down) in the text colour, at the sizes
// the toolkit asks for.
QIcon ExtensionArrow(const QPalette& palette, bool down) {
  QIcon icon;
  for (const int size : {16, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette.color(QPalette::WindowText), size / 10.0));
    constexpr qreal kQuarterTurn = 90;
    if (down) painter.translate(size, 0), painter.rotate(kQuarterTurn);
    for (const double left : {0.25, 0.5}) {
      const QPointF points[] = {{size * left, size * 0.25},
                                {size * (left + 0.2), size * 0.5},
                                {size * left, size * 0.75}};
      painter.drawPolyline(points, 3);
    }
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon WindowStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const {
  if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton) {
    const QPalette palette = option != nullptr ? option->palette : widget != nullptr ? widget->palette() : QPalette();
    return ExtensionArrow(palette, icon == SP_ToolBarVerticalExtensionButton);
  }
  return QProxyStyle::standardIcon(icon, option, widget);
}

void WindowStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
  if (element != PE_FrameFocusRect) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  // One pixel of the dialog's units: on a scaled screen the dots grow with it.
  painter->setPen(QPen(CueColour(option), 1, Qt::DotLine));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  painter->restore();
}

void WindowStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  if (element != CE_PushButton || (option->state & State_HasFocus) == 0) return;
  QStyleOptionFocusRect focus;
  focus.QStyleOption::operator=(*option);
  focus.rect = option->rect.adjusted(kButtonCueInset, kButtonCueInset, -kButtonCueInset, -kButtonCueInset);
  drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
}

void UseWindowStyle() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  if (dynamic_cast<WindowStyle*>(QApplication::style()) != nullptr) return;
  QApplication::setStyle(new WindowStyle(QApplication::style()->name()));
}

}  // namespace framework
