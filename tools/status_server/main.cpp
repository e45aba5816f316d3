// quillmar-status-server: a stand-in game server that answers status
// requests on UDP, for tests, demonstrations and trying the program out.
#include <cstdio>
#include <string>

#include "tools/status_server/program_arguments.h"
#include "tools/status_server/server_options.h"
#include "tools/status_server/status_text.h"
#include "tools/status_server/udp_responder.h"

int main(int argc, char** argv) {
  using namespace status_server;
  ProgramArguments arguments(argc, argv);
  const char* programName = arguments.Name().c_str();
  std::string error;
  const std::optional<ServerOptions> options = ParseServerOptions(arguments.Count(), arguments.Values(), error);
  if (!options) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", programName, error.c_str(), programName);
    return 2;
  }
  if (options->help) {
    std::fputs(UsageText(programName).c_str(), stdout);
    return 0;
  }
  if (!options->exactReply && !TimeLeftIsVisible(BuildStatusText(*options))) {
    std::fprintf(stderr,
                 "%s: warning: the time left lies beyond the first 150 characters of the "
                 "reply; clients will not show it (shorten the texts)\n",
                 programName);
  }
  return RunResponder(arguments.Name(), *options, BuildReply(*options));
}
