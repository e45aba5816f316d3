#pragma once
#include <optional>

#include "app/command_line.h"

// The command line of quillmar-dialog: the same as quillmar's, of which it
// runs the window modes: the dialog, and a picture of it (after one query
// with --query).
ParsedCommandLine ParseDialogCommandLine(int argc, char** argv);

// Called before the toolkit starts: without a display, a picture is made on
// the offscreen platform; the toolkit's notes stay off standard error.
void PrepareToolkit(const ParsedCommandLine& parsed);

// Help, the version and usage errors need no window: their exit status, or
// nothing when the window is to be made.
std::optional<int> RunWithoutWindow(const ParsedCommandLine& parsed);

// The window modes, after RunWithoutWindow.
int RunDialogCommandLine(const ParsedCommandLine& parsed);
