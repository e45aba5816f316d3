#include <string>

#include "app/console_streams.h"
#include "app/dialog/dialog_command_line.h"
#include "platform/framework/message_box.h"
#include "platform/window/cwinapp.h"

namespace {

// This program is the window of quillmar, which hands it the window mode
// only; the console modes are quillmar's own. Pictures of the dialog are
// made by the Linux build (and, of the dialog as the system draws it here,
// by scripts/windows-screenshot).
std::string DialogHelpText(const std::string& name) {
  return "Usage: " + name +
         "\n"
         "The dialog of quillmar, which starts it for its window mode; see quillmar --help.\n"
         "Without options it opens the dialog.\n\n"
         "Options:\n"
         "  -h, --help               Show this help and exit.\n"
         "  -v, --version            Show the version and exit.\n";
}

constexpr char kNoPictures[] = "--screenshot is not available on Windows";

// A program without a console: what it must say also shows in a box.
int Refuse(const std::string& why) {
  console::WriteErr(console::ProgramName() + ": " + why + "\n");
  AfxMessageBox(why.c_str(), MB_OK | MB_ICONSTOP);
  return 2;
}

}  // namespace

ParsedCommandLine ParseDialogCommandLine(int argc, char** argv) {
  console::Start(argc, argv);
  return ParseCommandLine(argc, argv);
}

void PrepareToolkit(const ParsedCommandLine& /*parsed*/) {}

std::optional<int> RunWithoutWindow(const ParsedCommandLine& parsed) {
  if (!parsed.commandLine) return Refuse(parsed.error);
  switch (parsed.commandLine->mode) {
    case RunMode::Help: console::WriteOut(DialogHelpText(console::ProgramName())); return console::FinalStatus(0);
    case RunMode::Version: console::WriteOut(VersionText()); return console::FinalStatus(0);
    default: break;
  }
  if (parsed.commandLine->screenshot) return Refuse(kNoPictures);
  if (parsed.commandLine->mode == RunMode::Window) return std::nullopt;
  return Refuse("only the window mode is this program's; run quillmar for the others");
}

int RunDialogCommandLine(const ParsedCommandLine& /*parsed*/) { return AfxWinMain(); }
