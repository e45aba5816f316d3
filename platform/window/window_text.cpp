#include "platform/window/window_text.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/window/paint.h"
#include "platform/window/qt_text.h"

namespace framework {

void SetWidgetText(QWidget* widget, const CString& text) {
  if (widget == nullptr || WidgetText(widget) == text) return;
  const QString value = ToQString(text);
  if (auto* edit = dynamic_cast<QLineEdit*>(widget)) {
    edit->setText(value);
  } else if (auto* label = dynamic_cast<QLabel*>(widget)) {
    label->setText(value);
  } else if (auto* button = dynamic_cast<QAbstractButton*>(widget)) {
    button->setText(value);
  } else if (auto* group = dynamic_cast<QGroupBox*>(widget)) {
    group->setTitle(value);
  } else if (widget->isWindow()) {
    widget->setWindowTitle(value);
  }
  RepaintNow(widget);
}

CString WidgetText(const QWidget* widget) {
  if (widget == nullptr) return CString();
  if (auto* edit = dynamic_cast<const QLineEdit*>(widget)) return FromQString(edit->text());
  if (auto* label = dynamic_cast<const QLabel*>(widget)) return FromQString(label->text());
  if (auto* button = dynamic_cast<const QAbstractButton*>(widget)) return FromQString(button->text());
  if (auto* group = dynamic_cast<const QGroupBox*>(widget)) return FromQString(group->title());
  if (widget->isWindow()) return FromQString(widget->windowTitle());
  return CString();
}

void RepaintNow(QWidget* widget) {
  if (widget == nullptr || !widget->isVisible()) return;
  if (IsPainting()) {
    widget->update();
  } else {
    widget->repaint();
  }
}

}  // namespace framework
