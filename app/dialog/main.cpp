// quillmar-dialog: the window of the program. quillmar hands the window
// modes over to it (the dialog, pictures of it), with the same arguments.
#include <QApplication>
#include <optional>

#include "app/command_line.h"
#include "app/dialog/dialog_command_line.h"
#include "app/dialog/first_paint_probe.h"
#include "app/dialog/quillmar_app.h"
#include "platform/window/icon_resource.h"
#include "platform/window/icon_resource_qt.h"
#include "ui/resource.h"

// The one application object, made before main() as the framework expects.
CQuillmarApp theApp;

int main(int argc, char** argv) {
  const ParsedCommandLine parsed = ParseDialogCommandLine(argc, argv);
  if (const std::optional<int> status = RunWithoutWindow(parsed)) return *status;
  PrepareToolkit(parsed);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Veloxa Quillmar"));
  QApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.veloxa.Quillmar"));  // ties windows to the desktop entry
  QApplication::setWindowIcon(framework::ToQIcon(framework::LoadIconResource(IDR_MAINFRAME)));
  InstallFirstPaintProbe();
  return RunDialogCommandLine(parsed);
}
