#include "tools/status_server/udp_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "tools/status_server/request_answer.h"
#include "tools/status_server/stop_signals.h"

namespace status_server {
namespace {

// Asked for, so that a burst of requests (a client asking a thousand
// servers in a namespace) is not dropped; the system may give less.
constexpr int kReceiveBufferBytes = 1 << 20;
constexpr int kDatagramsPerWake = 256;

std::string EndpointText(const sockaddr_in& address) {
  return status_server::EndpointText(ntohl(address.sin_addr.s_addr), ntohs(address.sin_port));
}

// The program's name as its other messages give it.
std::string g_programName = "quillmar-status-server";

void ReportFailure(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s %s: %s\n", g_programName.c_str(), what, detail.c_str(), std::strerror(errno));
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
  const int on = 1;
  const int size = kReceiveBufferBytes;
  setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  socklen_t length = sizeof bound;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
    ReportFailure("cannot bind", options.bindAddress + ":" + std::to_string(options.port));
    close(fd);
    return -1;
  }
  return fd;
}

// One request: who sent it, and to which of our addresses.
struct ReceivedRequest {
  sockaddr_in sender{};
  in_addr localAddress{};
  ssize_t size = 0;
};

// Reads one datagram with the address it was sent to (IP_PKTINFO). Size
// -1 when nothing is waiting.
ReceivedRequest ReceiveRequest(int fd, std::vector<char>& buffer) {
  ReceivedRequest request;
  iovec io{buffer.data(), buffer.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
  msghdr message{};
  message.msg_name = &request.sender;
  message.msg_namelen = sizeof request.sender;
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  request.size = recvmsg(fd, &message, MSG_DONTWAIT);
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); request.size >= 0 && c != nullptr; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
      in_pktinfo info{};
      std::memcpy(&info, CMSG_DATA(c), sizeof info);
      request.localAddress = info.ipi_addr;
    }
  }
  return request;
}

// Sends from the address the request went to, so that a server bound to
// 0.0.0.0 answers as the host that was asked.
bool SendAnswer(int fd, const ReceivedRequest& request, const std::string& reply) {
  iovec io{const_cast<char*>(reply.data()), reply.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
  msghdr message{};
  message.msg_name = const_cast<sockaddr_in*>(&request.sender);
  message.msg_namelen = sizeof request.sender;
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  if (request.localAddress.s_addr != INADDR_ANY) {
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst = request.localAddress;
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
  }
  return sendmsg(fd, &message, 0) >= 0;
}

// Answers what has arrived, unless a datagram is empty or we are silent
// (for its address). Returns false when nothing was waiting.
bool AnswerOneDatagram(int fd, const ServerOptions& options, const std::string& reply, std::vector<char>& buffer) {
  const ReceivedRequest request = ReceiveRequest(fd, buffer);
  if (request.size < 0) return false;
  if (request.size == 0) return true;  // an empty datagram
  LogRequest(options, EndpointText(request.sender),
             std::string_view(buffer.data(), static_cast<std::size_t>(request.size)));
  const std::optional<std::string> answer = AnswerFor(options, ntohl(request.localAddress.s_addr), reply);
  if (!answer) return true;
  if (!SendAnswer(fd, request, *answer)) {
    ReportFailure("cannot answer", EndpointText(request.sender));
  }
  return true;
}

void AnswerWaitingDatagrams(int fd, const ServerOptions& options, const std::string& reply) {
  std::vector<char> buffer(65536);
  for (int i = 0; i < kDatagramsPerWake && AnswerOneDatagram(fd, options, reply, buffer); ++i) {
  }
}

}  // namespace

int RunResponder(const std::string& programName, const ServerOptions& options, const std::string& reply) {
  g_programName = programName;
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
    if (watched[0].revents != 0) AnswerWaitingDatagrams(fd, options, reply);
  }
  close(fd);
  return 0;
}

}  // namespace status_server
