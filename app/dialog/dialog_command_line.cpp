#include "app/dialog/dialog_command_line.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "app/console_streams.h"
#include "app/display_environment.h"
#include "app/dialog/screenshot.h"
#include "platform/window/cwinapp.h"

namespace {

constexpr char kNoDisplayHint[] =
    "without a display, quillmar --query asks servers on the command line, and --screenshot makes a picture "
    "with QT_QPA_PLATFORM=offscreen";

// This program is the window of quillmar, which hands it the window modes
// only; the console modes are quillmar's own.
std::string DialogHelpText(const std::string& name) {
  return "Usage: " + name + " [--screenshot <file>]\n" + "       " + name +
         " --query <address> [--json] --screenshot <file>\n"
         "The dialog of quillmar, which starts it for its window modes; see quillmar --help.\n"
         "Without options it opens the dialog.\n\n"
         "Options:\n"
         "  -h, --help               Show this help and exit.\n"
         "  -v, --version            Show the version and exit.\n"
         "  --screenshot <file>      Save a picture of the dialog (with --query and one address: after\n"
         "                           the query) to <file> (PNG) and exit.\n"
         "  --query <address>        With --screenshot: query the server first, as \"Ping Server\" does,\n"
         "                           and print the fields (--json: as JSON).\n";
}

bool IsWindowMode(const CommandLine& line) {
  if (line.mode == RunMode::Window) return true;
  return line.mode == RunMode::Query && line.screenshot && line.addresses.size() == 1;
}

// What the windowing platform said first: why no display could be reached.
QString& FirstPlatformNote() {
  static QString* note = new QString;
  return *note;
}

// Keeps the toolkit's notes (no runtime directory, what the offscreen
// platform cannot do) off standard error; its errors still go there. When
// the toolkit gives up because no display can be reached, the user reads
// why and what works instead, and the program ends with status 1 rather
// than aborting.
void ToolkitErrorsOnly(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const bool platformNote = context.category != nullptr && std::strncmp(context.category, "qt.qpa", 6) == 0;
  if (platformNote && FirstPlatformNote().isEmpty()) FirstPlatformNote() = message;
  if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
    const QString why =
        FirstPlatformNote().isEmpty() ? QStringLiteral("no display could be reached") : FirstPlatformNote();
    console::WriteErr(console::ProgramName() + ": cannot open the dialog: " + why.toLocal8Bit().toStdString() + "; " +
                      kNoDisplayHint + "\n");
    std::_Exit(1);
  }
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
  }
}

}  // namespace

ParsedCommandLine ParseDialogCommandLine(int argc, char** argv) {
  console::Start(argc, argv);
  return ParseCommandLine(argc, argv);
}

void PrepareToolkit(const ParsedCommandLine& parsed) {
  qInstallMessageHandler(&ToolkitErrorsOnly);
  // A picture needs no screen.
  if (parsed.commandLine && parsed.commandLine->screenshot && !HaveDisplay()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
}

std::optional<int> RunWithoutWindow(const ParsedCommandLine& parsed) {
  if (!parsed.commandLine) {
    console::WriteErr(console::ProgramName() + ": " + parsed.error + "\n");
    return 2;
  }
  switch (parsed.commandLine->mode) {
    case RunMode::Help: console::WriteOut(DialogHelpText(console::ProgramName())); return console::FinalStatus(0);
    case RunMode::Version: console::WriteOut(VersionText()); return console::FinalStatus(0);
    default: break;
  }
  if (IsWindowMode(*parsed.commandLine)) return std::nullopt;
  console::WriteErr(console::ProgramName() +
                    ": only the window modes are this program's; run quillmar for the others\n");
  return 2;
}

int RunDialogCommandLine(const ParsedCommandLine& parsed) {
  const CommandLine& line = *parsed.commandLine;
  if (line.screenshot && line.mode == RunMode::Query && line.addresses.size() == 1) {
    return console::FinalStatus(SaveQueryPicture(line.addresses.front(), line.json, *line.screenshot));
  }
  if (line.screenshot) return SaveMainDialogPicture(QString::fromLocal8Bit(line.screenshot->c_str()));
  return AfxWinMain();
}
