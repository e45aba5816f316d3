// quillmar.exe: the arguments as the system holds them, in UTF-8 (the C
// runtime's argv would give them in the ANSI code page).
#include "app/run_command_line.h"
#include "platform/kernel/command_line.h"

int main(int argc, char** argv) {
  kernel::Utf8Arguments arguments(argc, argv);
  return RunCommandLine(arguments.Count(), arguments.Values());
}
