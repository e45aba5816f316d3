#include "app/query_command.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "app/query_output.h"
#include "ui/quillmar_dlg.h"
#include "ui/query_runner.h"

namespace {

void Write(std::FILE* stream, const QByteArray& bytes) {
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
  std::fflush(stream);
}

}  // namespace

int RunQueryCommand(const QString& address, QueryResultForm form, const QString& pictureFile) {
  ServerQueryHooks hooks;
  hooks.onMessage = [](const CString& message) { Write(stderr, QueryMessageLine(message)); };
  bool pictureSaved = true;
  if (!pictureFile.isEmpty()) {
    hooks.onFinished = [&](CQuillmarDlg& dialog) {
      QCoreApplication::processEvents();  // let the window settle (layout, polish)
      pictureSaved = dialog.widget() != nullptr && dialog.widget()->grab().save(pictureFile, "PNG");
    };
  }
  const ServerQueryOutcome outcome = RunServerQuery(CString(address.toLatin1().constData()), hooks);
  Write(stdout, form == QueryResultForm::Json ? QueryResultJson(outcome) : QueryResultText(outcome));
  if (!pictureSaved) Write(stderr, "cannot save the picture to " + pictureFile.toLocal8Bit() + '\n');
  return outcome.detected && pictureSaved ? 0 : 1;
}
