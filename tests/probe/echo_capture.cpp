#include "tests/probe/echo_capture.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace icmpapi_test {

namespace {
constexpr std::uint8_t kEchoRequest = 8;
}  // namespace

EchoRequestCapture::EchoRequestCapture() : m_fd(::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK, IPPROTO_ICMP)) {}

EchoRequestCapture::~EchoRequestCapture() {
  if (m_fd >= 0) ::close(m_fd);
}

std::vector<CapturedRequest> EchoRequestCapture::Requests() {
  std::vector<CapturedRequest> requests;
  std::uint8_t packet[2048];
  for (ssize_t n; (n = ::recv(m_fd, packet, sizeof packet, 0)) > 0;) {
    const std::size_t header = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    if (static_cast<std::size_t>(n) < header + 8 || packet[header] != kEchoRequest) continue;
    requests.push_back({packet[8], std::vector<std::uint8_t>(packet + header + 8, packet + n)});
  }
  return requests;
}

}  // namespace icmpapi_test
