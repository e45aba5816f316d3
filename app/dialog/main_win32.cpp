// quillmar-dialog.exe: the window of the program, a program of the windows
// subsystem. quillmar.exe starts it for the window mode, with the same
// arguments.
#include <optional>

#include "app/command_line.h"
#include "app/dialog/dialog_command_line.h"
#include "app/dialog/quillmar_app.h"
#include "platform/kernel/command_line.h"

// The one application object, made before main() as the framework expects.
CQuillmarApp theApp;

int main(int argc, char** argv) {
  kernel::Utf8Arguments arguments(argc, argv);
  const ParsedCommandLine parsed = ParseDialogCommandLine(arguments.Count(), arguments.Values());
  if (const std::optional<int> status = RunWithoutWindow(parsed)) return *status;
  PrepareToolkit(parsed);
  return RunDialogCommandLine(parsed);
}
