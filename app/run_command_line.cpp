#include "app/run_command_line.h"

#include "app/address_book_listing.h"
#include "app/command_line.h"
#include "app/console_streams.h"
#include "app/dialog_launcher.h"
#include "app/display_environment.h"
#include "app/query_command.h"
#include "app/watch_command.h"

namespace {

constexpr int kUsageError = 2;

int UsageError(const std::string& text) {
  const std::string& program = console::ProgramName();
  console::WriteErr(program + ": " + text + "\nTry '" + program + " --help'.\n");
  return kUsageError;
}

int NoDisplay() {
  console::WriteErr(console::ProgramName() +
                    ": no display to open the dialog on (DISPLAY and WAYLAND_DISPLAY are not set); quillmar --query "
                    "asks servers on the command line, and --screenshot makes a picture without a display\n");
  return 1;
}

int RunConsoleMode(const CommandLine& line) {
  const std::size_t parallel = line.parallel.value_or(kDefaultParallel);
  if (line.watchSeconds) return RunWatchCommand(line);
  switch (line.mode) {
    case RunMode::Help: console::WriteOut(HelpText(console::ProgramName())); return 0;
    case RunMode::Version: console::WriteOut(VersionText()); return 0;
    case RunMode::List: return PrintAddressBookList();
    case RunMode::QueryList: return RunAddressListQueryCommand(ResultFormOf(line), parallel);
    case RunMode::Query: return RunQuerySourcesCommand(line.sources, ResultFormOf(line), parallel);
    case RunMode::Window: break;
  }
  return 1;  // not reached: the window mode is not a console mode
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  console::Start(argc, argv);
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (!parsed.commandLine) return UsageError(parsed.error);
  const CommandLine& line = *parsed.commandLine;
  // The dialog, and pictures of it, need the widget toolkit; a picture needs no display.
  if (line.screenshot && !PicturesUnavailable().empty()) return UsageError(PicturesUnavailable());
  if (line.mode == RunMode::Window && !line.screenshot && !HaveDisplay()) return NoDisplay();
  if (line.mode == RunMode::Window || line.screenshot) return RunDialogProgram(argv);
  return console::FinalStatus(RunConsoleMode(line));
}
