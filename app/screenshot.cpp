#include "app/screenshot.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "platform/framework/cdialog.h"
#include "platform/framework/cwinapp.h"
#include "platform/framework/message_box.h"
#include "ui/resource.h"

namespace {

int FirstButtonOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
  }
}

}  // namespace

int SaveMainDialogPicture(const QString& file) {
  // Nobody is there to answer a message box: each is written to standard
  // error and answered with its first button.
  struct ScopedConsoleMessageBoxes {
    framework::MessageBoxHandler previous = framework::SetMessageBoxHandler([](const framework::MessageBoxRequest& box) {
      std::fprintf(stderr, "%s: %s\n", static_cast<LPCSTR>(box.caption), static_cast<LPCSTR>(box.text));
      return FirstButtonOf(box.type);
    });
    ~ScopedConsoleMessageBoxes() { framework::SetMessageBoxHandler(std::move(previous)); }
  } consoleBoxes;
  bool saved = false;
  framework::ScopedModalDialogHook hook([&](CDialog& dialog) {
    if (dialog.templateId() == IDD_QUILLMAR_DIALOG && dialog.widget() != nullptr) {
      QCoreApplication::processEvents();  // let the window settle (layout, polish)
      saved = dialog.widget()->grab().save(file, "PNG");
    }
    dialog.EndDialog(IDCANCEL);
  });
  AfxWinMain();
  return saved ? 0 : 1;
}
