#include "app/dialog/screenshot.h"

#include <cstdio>

#include "app/console_streams.h"
#include "app/dialog/picture_file.h"
#include "app/query_output.h"
#include "platform/framework/message_box.h"
#include "platform/window/cdialog.h"
#include "platform/window/cwinapp.h"
#include "ui/query_runner.h"
#include "ui/quillmar_dlg.h"
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

// Nobody is there to answer a message box: each is written to standard
// error and answered with its first button.
int AnswerOnTheConsole(const framework::MessageBoxRequest& box) {
  console::WriteErr(ConsoleLines(box.caption + ": " + box.text));
  return FirstButtonOf(box.type);
}

}  // namespace

int SaveMainDialogPicture(const QString& file) {
  const framework::ScopedMessageBoxHandler consoleBoxes(&AnswerOnTheConsole);
  bool saved = false;
  framework::ScopedModalDialogHook hook([&](CDialog& dialog) {
    if (dialog.templateId() == IDD_QUILLMAR_DIALOG && dialog.widget() != nullptr) {
      saved = SaveWindowPicture(*dialog.widget(), file);
    }
    dialog.EndDialog(IDCANCEL);
  });
  AfxWinMain();
  return saved ? 0 : 1;
}

int SaveQueryPicture(const std::string& address, bool json, const std::string& file) {
  // The address book's message, as --screenshot shows it.
  const framework::ScopedMessageBoxHandler consoleBoxes(&AnswerOnTheConsole);
  ServerQueryHooks hooks;
  hooks.onMessage = [](const CString& message) { console::WriteErr(ConsoleLine(message)); };
  bool saved = false;
  hooks.onFinished = [&](CQuillmarDlg& dialog) {
    saved = dialog.widget() != nullptr && SaveWindowPicture(*dialog.widget(), QString::fromLocal8Bit(file.c_str()));
  };
  const QueryOutcome outcome = RunServerQuery(CString(address.c_str()), hooks);
  console::WriteOut(json ? QueryResultJson(outcome) : QueryResultText(outcome));
  return outcome.detected && saved ? 0 : 1;
}
