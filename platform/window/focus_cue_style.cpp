#include "platform/window/focus_cue_style.h"

#include <QApplication>
#include <QPainter>
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

}  // namespace

void FocusCueStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
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

void FocusCueStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  if (element != CE_PushButton || (option->state & State_HasFocus) == 0) return;
  QStyleOptionFocusRect focus;
  focus.QStyleOption::operator=(*option);
  focus.rect = option->rect.adjusted(kButtonCueInset, kButtonCueInset, -kButtonCueInset, -kButtonCueInset);
  drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
}

void UseFocusCueStyle() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  if (dynamic_cast<FocusCueStyle*>(QApplication::style()) != nullptr) return;
  QApplication::setStyle(new FocusCueStyle(QApplication::style()->name()));
}

}  // namespace framework
