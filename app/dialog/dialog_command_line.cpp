#include "app/dialog/dialog_command_line.h"

#include <QApplication>
#include <cstdio>
#include <span>

#include "app/console_streams.h"
#include "app/dialog/screenshot.h"
#include "platform/window/cwinapp.h"

namespace {

// Keeps the toolkit's notes (no runtime directory, what the offscreen
// platform cannot do) off standard error; its errors still go there.
void ToolkitErrorsOnly(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
  }
}

bool HaveDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

ParsedCommandLine ParseDialogCommandLine(int argc, char** argv) {
  console::ProtectStandardDescriptors();
  console::SetProgramName(argc > 0 && argv[0] != nullptr ? argv[0] : "quillmar");
  return ParseCommandLine(std::span<const char* const>(const_cast<const char* const*>(argv) + (argc > 0 ? 1 : 0),
                                                       argc > 0 ? static_cast<std::size_t>(argc - 1) : 0));
}

void PrepareToolkit(const ParsedCommandLine& parsed) {
  qInstallMessageHandler(&ToolkitErrorsOnly);
  // A picture needs no screen.
  if (parsed.commandLine && parsed.commandLine->screenshot && !HaveDisplay()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
}

int RunDialogCommandLine(const ParsedCommandLine& parsed) {
  if (!parsed.commandLine) {
    console::WriteErr(console::ProgramName() + ": " + parsed.error + "\n");
    return 2;
  }
  const CommandLine& line = *parsed.commandLine;
  if (line.screenshot && line.mode == RunMode::Query && line.addresses.size() == 1) {
    return console::FinalStatus(SaveQueryPicture(line.addresses.front(), line.json, *line.screenshot));
  }
  if (line.screenshot) return SaveMainDialogPicture(QString::fromLocal8Bit(line.screenshot->c_str()));
  return AfxWinMain();
}
