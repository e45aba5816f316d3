#include "app/command_line.h"

#include <QApplication>
#include <QCommandLineParser>
#include <functional>
#include <vector>

#include "app/screenshot.h"
#include "platform/framework/cwinapp.h"

namespace {

// One mode per option that takes a value; the first one given runs.
struct Mode {
  QCommandLineOption option;
  std::function<int(const QString& value)> run;
};

std::vector<Mode> Modes() {
  return {
      {QCommandLineOption(QStringLiteral("screenshot"),
                          QStringLiteral("Save a picture of the main dialog, as it is after start-up, to <file> "
                                         "(PNG) and exit."),
                          QStringLiteral("file")),
       &SaveMainDialogPicture},
  };
}

}  // namespace

int RunFromCommandLine(QApplication& qtApp) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Pings a racing-game server and shows its status: host, track, players, session and time left."));
  parser.addHelpOption();
  parser.addVersionOption();
  const std::vector<Mode> modes = Modes();
  for (const Mode& mode : modes) parser.addOption(mode.option);
  parser.process(qtApp);  // --help and --version print and exit here
  for (const Mode& mode : modes) {
    if (parser.isSet(mode.option)) return mode.run(parser.value(mode.option));
  }
  return AfxWinMain();
}
