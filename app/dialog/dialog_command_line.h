#pragma once
#include "app/command_line.h"

// The command line of quillmar-dialog: the same as quillmar's, of which it
// runs the window modes: the dialog, and a picture of it (after one query
// with --query).
ParsedCommandLine ParseDialogCommandLine(int argc, char** argv);

// Called before the toolkit starts: without a display, a picture is made on
// the offscreen platform; the toolkit's notes stay off standard error.
void PrepareToolkit(const ParsedCommandLine& parsed);

int RunDialogCommandLine(const ParsedCommandLine& parsed);
