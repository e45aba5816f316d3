#include "app/console_output.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace console {
namespace {

bool g_closedAtStart[3] = {false, false, false};

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

// A descriptor that another program left non-blocking (a pipe read
// slowly) is waited for rather than given up.
bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd ready{fd, POLLOUT, 0};
      if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
    }
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

void ProtectStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (IsOpen(fd)) continue;
    g_closedAtStart[fd] = true;
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
}

bool OutputClosedAtStart() { return g_closedAtStart[1]; }

void CloseWhatWasClosed() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (g_closedAtStart[fd]) ::close(fd);
  }
}

int WriteToOutput(std::string_view text) {
  if (g_closedAtStart[1]) return EBADF;
  if (WriteAll(STDOUT_FILENO, text)) return 0;
  return errno != 0 ? errno : EIO;
}

void WriteToError(std::string_view text) { (void)WriteAll(STDERR_FILENO, text); }

std::string OutputErrorText(int error) { return std::strerror(error); }

std::string_view PathSeparators() { return "/"; }

}  // namespace console
