#pragma once
#include <QApplication>
#include <QWidget>
#include <vector>

#include "platform/window/cdialog.h"
#include "tests/support/control_widget.h"
#include "tests/support/scoped_working_directory.h"
#include "ui/resource.h"

namespace ui_test {

using vqtest::ControlWidget;

// The dialog's client area: the parent of its controls.
inline QWidget* ClientArea(const CWnd& dialog) { return ControlWidget(dialog, IDC_ADDRESS)->parentWidget(); }

using vqtest::ScopedEmptyAddressBook;

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
