#pragma once
#include <string>
#include <vector>

// The dialog is a program of its own, quillmar-dialog, so that the command
// line never loads the widget toolkit. It is looked for beside this program
// (a build tree, an unpacked copy), then in the install's libexec folder as
// seen from this program's folder, then where the build was made to install
// it.
std::vector<std::string> DialogProgramCandidates();

// Replaces this process with the dialog program, given the same arguments.
// Returns only when that failed, with the exit status after reporting why.
int RunDialogProgram(char** argv);
