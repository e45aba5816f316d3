// quillmar-echo-helper: sends ICMP echo requests for the Quillmar ICMP
// library where the user may open no ICMP socket. It is installed with the
// cap_net_raw file capability, opens one raw ICMP socket, drops every
// capability, and then answers requests on its standard input and output
// (see platform/icmpapi/echo_helper_protocol.h) until they close. It runs no
// other program and reads no file or environment.
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/icmpapi/echo_helper_protocol.h"
#include "platform/icmpapi/echo_socket.h"
#include "tools/echo_helper/capabilities.h"
#include "tools/echo_helper/request_server.h"
#include "tools/echo_helper/stream_io.h"

namespace {

constexpr int kExitServed = 0;
constexpr int kExitNoSocket = 1;
constexpr int kExitRefusedRequest = 2;
constexpr int kExitPipeFailed = 3;

// Nothing the parent left open is ours to hold.
void CloseInheritedDescriptors() {
  if (::syscall(SYS_close_range, 3u, ~0u, 0u) == 0) return;
  const long limit = ::sysconf(_SC_OPEN_MAX);
  for (long fd = 3; fd < (limit > 0 ? limit : 1024); ++fd) ::close(static_cast<int>(fd));
}

bool SayHello(int openErrno) {
  const auto bytes = icmpapi::helper::EncodeHello(icmpapi::helper::Hello{openErrno});
  return echo_helper::WriteAll(STDOUT_FILENO, bytes.data(), bytes.size());
}

}  // namespace

int main() {
  ::signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a failed write
  CloseInheritedDescriptors();
  icmpapi::OpenFailureInfo failure;
  const std::shared_ptr<icmpapi::EchoSocket> socket = icmpapi::EchoSocket::Open(failure);
  const int openErrno = socket ? 0 : (errno != 0 ? errno : EPERM);
  if (!echo_helper::DropAllCapabilities()) {
    std::fputs("quillmar-echo-helper: cannot drop capabilities\n", stderr);
    (void)SayHello(EPERM);
    return kExitNoSocket;
  }
  if (!SayHello(openErrno)) return kExitPipeFailed;
  if (!socket) return kExitNoSocket;
  switch (echo_helper::ServeRequests(*socket, STDIN_FILENO, STDOUT_FILENO)) {
    case echo_helper::ServeEnd::PipeClosed: return kExitServed;
    case echo_helper::ServeEnd::BadFraming: return kExitRefusedRequest;
    case echo_helper::ServeEnd::PipeBroken: break;
  }
  return kExitPipeFailed;
}
