#include "platform/window/window_text.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <optional>

#include "platform/window/paint.h"
#include "platform/window/qt_text.h"

namespace framework {
namespace {

// The program's bytes behind a widget's text, and the text shown for them.
constexpr const char* kBytesProperty = "vqTextBytes";
constexpr const char* kShownProperty = "vqTextShown";

std::optional<QString> ShownText(const QWidget& widget) {
  if (const auto* edit = dynamic_cast<const QLineEdit*>(&widget)) return edit->text();
  if (const auto* label = dynamic_cast<const QLabel*>(&widget)) return label->text();
  if (const auto* button = dynamic_cast<const QAbstractButton*>(&widget)) return button->text();
  if (const auto* group = dynamic_cast<const QGroupBox*>(&widget)) return group->title();
  if (widget.isWindow()) return widget.windowTitle();
  return std::nullopt;
}

void Show(QWidget& widget, const QString& value) {
  if (auto* edit = dynamic_cast<QLineEdit*>(&widget)) {
    edit->setText(value);
    edit->setCursorPosition(0);  // a long text shows its beginning, as the platform's edit does
  } else if (auto* label = dynamic_cast<QLabel*>(&widget)) {
    label->setText(value);
  } else if (auto* button = dynamic_cast<QAbstractButton*>(&widget)) {
    button->setText(value);
  } else if (auto* group = dynamic_cast<QGroupBox*>(&widget)) {
    group->setTitle(value);
  } else if (widget.isWindow()) {
    widget.setWindowTitle(value);
  }
}

// An edit shows what a server or the address book sent, so it shows it
// safely; the other widgets show the program's own texts.
QString ShownFor(const QWidget& widget, const CString& text) {
  return dynamic_cast<const QLineEdit*>(&widget) != nullptr ? ToSafeQString(text) : ToQString(text);
}

}  // namespace

void SetWidgetText(QWidget* widget, const CString& text) {
  if (widget == nullptr || WidgetText(widget) == text) return;
  const QString value = ShownFor(*widget, text);
  Show(*widget, value);
  widget->setProperty(kBytesProperty, QByteArray(text.str().data(), static_cast<qsizetype>(text.GetLength())));
  widget->setProperty(kShownProperty, value);
  RepaintNow(widget);
}

CString WidgetText(const QWidget* widget) {
  if (widget == nullptr) return CString();
  const std::optional<QString> shown = ShownText(*widget);
  if (!shown) return CString();
  const QVariant bytes = widget->property(kBytesProperty);
  if (bytes.isValid() && widget->property(kShownProperty).toString() == *shown) {
    const QByteArray kept = bytes.toByteArray();
    return CString(std::string_view(kept.constData(), static_cast<std::size_t>(kept.size())));
  }
  return FromQString(*shown);
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
