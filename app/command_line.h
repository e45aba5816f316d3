#pragma once
// The program's command line: --help, --version, and modes that run instead
// of the interactive dialog. Without a mode the application runs as usual.
class QApplication;

int RunFromCommandLine(QApplication& qtApp);
