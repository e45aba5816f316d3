#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "app/exporter/exporter_options.h"
#include "app/exporter/exporter_server.h"
#include "platform/winsock/scoped_startup.h"

namespace {

std::string ProgramName(int argc, char** argv) {
  const std::string path = argc > 0 && argv[0] != nullptr ? argv[0] : "quillmar-exporter";
  return path.substr(path.rfind('/') + 1);
}

// Every thread started from here on leaves the stop signals to main's sigwait.
sigset_t BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

int Serve(const exporter::ExporterOptions& options, const std::string& program) {
  const sigset_t stopSignals = BlockStopSignals();
  const winsock::ScopedStartup sockets;
  if (!sockets.started()) {
    std::fprintf(stderr, "%s: the sockets library did not start\n", program.c_str());
    return 1;
  }
  exporter::ExporterServer server(options, exporter::TargetPolicy(options.allowed, exporter::AddressBookTargets()));
  std::string error;
  const int port = server.Bind(error);
  if (port < 0) {
    std::fprintf(stderr, "%s: cannot listen on %s:%d: %s\n", program.c_str(), options.listenAddress.c_str(),
                 options.port, error.c_str());
    return 1;
  }
  std::printf("listening on %s:%d\n", options.listenAddress.c_str(), port);
  std::fflush(stdout);
  std::atomic<bool> failed{false};
  std::thread serving([&server, &failed, &program] {
    if (server.Serve()) return;
    std::fprintf(stderr, "%s: cannot take requests any longer\n", program.c_str());
    failed = true;
    ::kill(::getpid(), SIGTERM);  // ends main's wait
  });
  int caught = 0;
  sigwait(&stopSignals, &caught);
  server.Stop();
  serving.join();
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = ProgramName(argc, argv);
  signal(SIGPIPE, SIG_IGN);  // a client gone mid-answer is the write's error, not the process's end
  const exporter::ParsedExporterOptions parsed = exporter::ParseExporterOptions(
      std::span<const char* const>(const_cast<const char* const*>(argv) + (argc > 0 ? 1 : 0),
                                   static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
  if (!parsed.options) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.c_str(), parsed.error.c_str(), program.c_str());
    return 2;
  }
  switch (parsed.options->mode) {
    case exporter::ExporterMode::Help: std::fputs(exporter::ExporterHelpText(program).c_str(), stdout); return 0;
    case exporter::ExporterMode::Version: std::fputs(exporter::ExporterVersionText().c_str(), stdout); return 0;
    case exporter::ExporterMode::Serve: break;
  }
  return Serve(*parsed.options, program);
}
