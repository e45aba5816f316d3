#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "platform/framework/message_box.h"

namespace framework {
namespace {

QPointer<QWidget>& mainWindowWidget() {
  static QPointer<QWidget>* widget = new QPointer<QWidget>;
  return *widget;
}

QString FromLatin1(const CString& text) { return QString::fromLatin1(text.str().data(), text.GetLength()); }

QMessageBox::Icon IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct ButtonAnswer {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<ButtonAnswer> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default: return {{QMessageBox::Ok, IDOK}};
  }
}

}  // namespace

void SetMainWindowWidget(QWidget* widget) { mainWindowWidget() = widget; }

bool ShowToolkitMessageBox(const MessageBoxRequest& request, int* answer) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  QMessageBox box(IconOf(request.type), FromLatin1(request.caption), FromLatin1(request.text), QMessageBox::NoButton,
                  request.owner);
  const auto buttons = ButtonsOf(request.type);
  for (const ButtonAnswer& b : buttons) box.addButton(b.button);
  box.setDefaultButton(buttons.front().button);
  const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
  *answer = buttons.back().answer;  // closing the box counts as its last button (cancel or no)
  for (const ButtonAnswer& b : buttons) {
    if (b.button == clicked) *answer = b.answer;
  }
  return true;
}

}  // namespace framework

// Keeps this object file, and so the registration below, in every program
// that links the window services.
extern "C" {
int vq_toolkit_message_box_anchor = 0;
}

namespace {

QWidget* MainWindow() { return framework::mainWindowWidget().data(); }

const bool kRegistered = [] {
  framework::SetToolkitMessageBox({&framework::ShowToolkitMessageBox, &MainWindow});
  return true;
}();

}  // namespace
