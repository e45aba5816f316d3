#include <QApplication>

#include "app/command_line.h"
#include "app/first_paint_probe.h"
#include "app/quillmar_app.h"
#include "platform/framework/icon_resource.h"
#include "platform/framework/icon_resource_qt.h"
#include "ui/resource.h"

// The one application object, made before main() as the framework expects.
CQuillmarApp theApp;

int main(int argc, char** argv) {
  PrepareToolkit(argc, argv);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Veloxa Quillmar"));
  QApplication::setApplicationVersion(QStringLiteral(VQ_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.veloxa.Quillmar"));  // ties windows to the desktop entry
  QApplication::setWindowIcon(framework::ToQIcon(framework::LoadIconResource(IDR_MAINFRAME)));
  InstallFirstPaintProbe();
  return RunFromCommandLine(qtApp);
}
