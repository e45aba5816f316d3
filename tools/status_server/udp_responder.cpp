#include "tools/status_server/udp_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "tools/status_server/hex.h"
#include "tools/status_server/stop_signals.h"

namespace status_server {
namespace {

std::string EndpointText(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

void ReportFailure(const char* what, const std::string& detail) {
  std::fprintf(stderr, "quillmar-status-server: %s %s: %s\n", what, detail.c_str(),
               std::strerror(errno));
}

// Returns the bound socket, or -1 after reporting why not.
int BindSocket(const ServerOptions& options, sockaddr_in& bound) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    ReportFailure("cannot create a socket for", options.bindAddress);
    return -1;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options.port);
  inet_pton(AF_INET, options.bindAddress.c_str(), &address.sin_addr);
  socklen_t length = sizeof bound;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
    ReportFailure("cannot bind", options.bindAddress + ":" + std::to_string(options.port));
    close(fd);
    return -1;
  }
  return fd;
}

// Receives one datagram and answers it unless it is empty or we are silent.
void AnswerOneDatagram(int fd, const ServerOptions& options, const std::string& reply) {
  std::vector<char> buffer(65536);
  sockaddr_in sender{};
  socklen_t senderLength = sizeof sender;
  const ssize_t received = recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                    reinterpret_cast<sockaddr*>(&sender), &senderLength);
  if (received <= 0) return;  // nothing after all, an error, or an empty datagram
  if (options.logRequests) {
    const std::string_view bytes(buffer.data(), static_cast<std::size_t>(received));
    std::printf("request %s %s\n", EndpointText(sender).c_str(), HexFromBytes(bytes).c_str());
    std::fflush(stdout);
  }
  if (options.silent) return;
  if (sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&sender),
             senderLength) < 0) {
    ReportFailure("cannot answer", EndpointText(sender));
  }
}

}  // namespace

int RunResponder(const ServerOptions& options, const std::string& reply) {
  // Watch the signals before announcing readiness, so that a stop request
  // sent right after the ready line is never lost.
  const int stopFd = WatchStopSignals();
  if (stopFd < 0) {
    ReportFailure("cannot watch signals for", options.bindAddress);
    return 1;
  }
  sockaddr_in bound{};
  const int fd = BindSocket(options, bound);
  if (fd < 0) return 1;
  std::printf("listening on %s\n", EndpointText(bound).c_str());
  std::fflush(stdout);

  pollfd watched[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
  for (;;) {
    if (poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      ReportFailure("cannot wait on", EndpointText(bound));
      close(fd);
      return 1;
    }
    if (watched[1].revents != 0) break;
    if (watched[0].revents != 0) AnswerOneDatagram(fd, options, reply);
  }
  close(fd);
  return 0;
}

}  // namespace status_server
