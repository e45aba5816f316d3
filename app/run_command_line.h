#pragma once
// Runs the program as its command line asks: a console mode, or the dialog
// (which replaces this process). Returns the exit status.
int RunCommandLine(int argc, char** argv);
