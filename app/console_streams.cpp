#include "app/console_streams.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace console {
namespace {

std::string g_programName = "quillmar";
int g_outputErrno = 0;  // the first failure of standard output
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
    if (fd == 1) g_outputErrno = EBADF;
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
}

void CloseWhatWasClosed() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (g_closedAtStart[fd]) ::close(fd);
  }
}

void Start(int argc, char** argv) {
  ProtectStandardDescriptors();
  SetProgramName(argc > 0 && argv[0] != nullptr ? argv[0] : "quillmar");
}

void SetProgramName(std::string_view argv0) {
  const std::size_t slash = argv0.rfind('/');
  g_programName = std::string(slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1));
  if (g_programName.empty()) g_programName = "quillmar";
}

const std::string& ProgramName() { return g_programName; }

bool WriteOut(std::string_view text) {
  if (g_outputErrno != 0) return false;
  if (WriteAll(STDOUT_FILENO, text)) return true;
  g_outputErrno = errno != 0 ? errno : EIO;
  return false;
}

void WriteErr(std::string_view text) { (void)WriteAll(STDERR_FILENO, text); }

int FinalStatus(int status) {
  if (g_outputErrno == 0) return status;
  WriteErr(g_programName + ": write error on standard output: " + std::strerror(g_outputErrno) + "\n");
  return 1;
}

}  // namespace console
