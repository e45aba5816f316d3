#include "app/command_line.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "app/address_book_listing.h"
#include "app/query_command.h"
#include "app/screenshot.h"
#include "platform/framework/cwinapp.h"

namespace {

// One mode per option that takes a value; the first one given runs.
struct Mode {
  QCommandLineOption option;
  std::function<int(const QString& value)> run;
};

std::vector<Mode> Modes(const QCommandLineParser& parser, const QCommandLineOption& json) {
  return {
      {QCommandLineOption(QStringLiteral("query"),
                          QStringLiteral("Ping the server at <address> and ask it for its status, as \"Ping Server\" "
                                         "does, without showing the dialog; print the fields, and the texts of any "
                                         "messages to standard error. Exit status 0 when the server answered."),
                          QStringLiteral("address")),
       [&parser, json](const QString& address) {
         return RunQueryCommand(address, parser.isSet(json) ? QueryResultForm::Json : QueryResultForm::Text,
                                parser.value(QStringLiteral("screenshot")));
       }},
      {QCommandLineOption(QStringLiteral("screenshot"),
                          QStringLiteral("Save a picture of the main dialog, as it is after start-up (with --query: "
                                         "after the query), to <file> (PNG) and exit."),
                          QStringLiteral("file")),
       &SaveMainDialogPicture},
  };
}

constexpr int kUsageError = 2;

int UsageError(const QString& text) {
  const QByteArray program = QCoreApplication::applicationFilePath().section(QLatin1Char('/'), -1).toLocal8Bit();
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.constData(), text.toLocal8Bit().constData(),
               program.constData());
  return kUsageError;
}

}  // namespace

int RunFromCommandLine(QApplication& qtApp) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Pings a racing-game server and shows its status: host, track, players, session and time left."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("With --query: print the result as JSON."));
  parser.addOption(json);
  const QCommandLineOption list(QStringLiteral("list"),
                                QStringLiteral("Print the lines of the address list, as the dialog lists \"address.ini\" "
                                               "from the working directory, one per line, and exit."));
  parser.addOption(list);
  const std::vector<Mode> modes = Modes(parser, json);
  for (const Mode& mode : modes) parser.addOption(mode.option);
  if (!parser.parse(qtApp.arguments())) return UsageError(parser.errorText());
  if (parser.isSet(help)) parser.showHelp(0);  // these two print and exit
  if (parser.isSet(version)) parser.showVersion();
  if (!parser.positionalArguments().isEmpty()) {
    return UsageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
  }
  if (parser.isSet(json) && !parser.isSet(QStringLiteral("query"))) {
    return UsageError(QStringLiteral("--json goes with --query"));
  }
  if (parser.isSet(list)) return PrintAddressBookList(stdout, stderr);
  for (const Mode& mode : modes) {
    if (parser.isSet(mode.option)) return mode.run(parser.value(mode.option));
  }
  return AfxWinMain();
}

namespace {

bool AsksForQuery(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--query") == 0 || std::strncmp(argv[i], "--query=", 8) == 0) return true;
  }
  return false;
}

bool AsksForList(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list") == 0) return true;
  }
  return false;
}

// Keeps the toolkit's notes (no runtime directory, what the offscreen
// platform cannot do) off standard error; its errors still go there.
void ToolkitErrorsOnly(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
  }
}

// Without a display the dialog cannot be shown, but what the command line
// asks for (help, the version, a usage error, a picture) still can be done.
bool NoDisplayForArguments(int argc) {
  return argc > 1 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
         qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

void PrepareToolkit(int argc, char** argv) {
  // The query and the list print their results and show no window.
  const bool console = AsksForQuery(argc, argv) || AsksForList(argc, argv);
  if (console || NoDisplayForArguments(argc)) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (console) qInstallMessageHandler(&ToolkitErrorsOnly);
}
