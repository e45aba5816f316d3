#pragma once
// The program's command line: --help, --version, and modes that run instead
// of the interactive dialog. Without a mode the application runs as usual.
class QApplication;

int RunFromCommandLine(QApplication& qtApp);

// Called before the toolkit starts. --query runs without a display, its
// dialog made on the offscreen platform, and its standard error carries the
// dialog's messages only.
void PrepareToolkit(int argc, char** argv);
