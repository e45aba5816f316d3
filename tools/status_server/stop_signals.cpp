#include "tools/status_server/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace status_server {
namespace {

int g_signalPipeWrite = -1;

void OnStopSignal(int /*signal*/) {
  const int savedErrno = errno;
  const char byte = 's';
  [[maybe_unused]] ssize_t written = write(g_signalPipeWrite, &byte, 1);
  errno = savedErrno;
}

bool MakeNonBlockingAndCloseOnExec(int fd) {
  return fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) == 0 && fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

}  // namespace

int WatchStopSignals() {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  if (!MakeNonBlockingAndCloseOnExec(fds[0]) || !MakeNonBlockingAndCloseOnExec(fds[1])) return -1;
  g_signalPipeWrite = fds[1];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0) {
    return -1;
  }
  return fds[0];
}

}  // namespace status_server
