#include "app/screenshot.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QWidget>

#include "platform/framework/cdialog.h"
#include "platform/framework/cwinapp.h"
#include "ui/resource.h"

int SaveMainDialogPicture(const QString& file) {
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
