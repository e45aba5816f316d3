#include <QApplication>
#include <QPointer>

#include "platform/framework/message_box.h"
#include "platform/window/message_box_window.h"

namespace framework {
namespace {

QPointer<QWidget>& mainWindowWidget() {
  static QPointer<QWidget>* widget = new QPointer<QWidget>;
  return *widget;
}

}  // namespace

void SetMainWindowWidget(QWidget* widget) { mainWindowWidget() = widget; }

bool ShowToolkitMessageBox(const MessageBoxRequest& request, int* answer) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  MessageBoxWindow box(request);
  *answer = box.answerFor(box.exec());
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
