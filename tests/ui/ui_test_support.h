#pragma once
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <vector>

#include "platform/framework/cdialog.h"
#include "ui/resource.h"

namespace ui_test {

inline QWidget* ControlWidget(const CWnd& dialog, int id) {
  CWnd* control = dialog.GetDlgItem(id);
  return control != nullptr ? control->widget() : nullptr;
}

// The dialog's client area: the parent of its controls.
inline QWidget* ClientArea(const CWnd& dialog) { return ControlWidget(dialog, IDC_ADDRESS)->parentWidget(); }

// Runs a test in a fresh working directory holding an empty "address.ini":
// the dialog starts with an empty list and without a message.
class ScopedEmptyAddressBook {
 public:
  ScopedEmptyAddressBook() : m_previous(QDir::currentPath()) {
    QFile(m_dir.filePath(QStringLiteral("address.ini"))).open(QIODevice::WriteOnly);
    QDir::setCurrent(m_dir.path());
  }
  ~ScopedEmptyAddressBook() { QDir::setCurrent(m_previous); }
  ScopedEmptyAddressBook(const ScopedEmptyAddressBook&) = delete;
  ScopedEmptyAddressBook& operator=(const ScopedEmptyAddressBook&) = delete;

 private:
  QTemporaryDir m_dir;
  QString m_previous;
};

// Ends every modal dialog as soon as it is shown and records its template.
class ModalRecorder {
 public:
  ModalRecorder()
      : m_hook([this](CDialog& dialog) {
          opened.push_back(dialog.templateId());
          dialog.EndDialog(IDOK);
        }) {}
  std::vector<UINT> opened;

 private:
  framework::ScopedModalDialogHook m_hook;
};

}  // namespace ui_test
