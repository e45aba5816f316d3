// send, recv, sendto and recvfrom.
#include "platform/kernel/handle_table.h"
#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

bool IsDatagram(int fd) { return bridge::SocketType(fd) != SOCK_STREAM; }

int FailTransfer(int fd) {
  // An ICMP port-unreachable answer to an earlier datagram: the library
  // reports the connection as reset.
  if (errno == ECONNREFUSED && IsDatagram(fd)) return detail::Fail(WSAECONNRESET);
  return detail::FailFromErrno();
}

// POSIX says EPIPE both after this side's own shutdown and when the peer
// has closed; the library says "shut down" only for the first.
int FailSend(SOCKET s, int fd) {
  if (errno == EPIPE && (kernel::HandleFlags(s) & detail::kSendShutDown) != 0) return detail::Fail(WSAESHUTDOWN);
  return FailTransfer(fd);
}

bool BufferIsValid(const char* buf, int len) { return len >= 0 && (buf != nullptr || len == 0); }

int Transmit(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (!BufferIsValid(buf, len)) return detail::Fail(WSAEFAULT);
  if (flags & ~(MSG_OOB | MSG_DONTROUTE)) return detail::Fail(WSAEOPNOTSUPP);
  bridge::Endpoint destination;
  if (to != nullptr && !detail::EndpointFromAddress(to, tolen, &destination)) return SOCKET_ERROR;
  const bridge::Endpoint* target = to != nullptr ? &destination : nullptr;
  // In blocking mode a stream send returns only when everything is queued.
  const bool sendAll = !IsDatagram(fd) && !bridge::IsNonBlocking(fd);
  long total = 0;
  do {
    const long sent = detail::RetryWhileBlocked(fd, true, [&] {
      return bridge::Send(fd, buf + total, static_cast<std::size_t>(len - total), flags, target);
    });
    if (sent < 0) return total > 0 ? static_cast<int>(total) : FailSend(s, fd);
    total += sent;
  } while (sendAll && total < len);
  return static_cast<int>(total);
}

int Collect(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (!BufferIsValid(buf, len)) return detail::Fail(WSAEFAULT);
  if (from != nullptr && (fromlen == nullptr || *fromlen < static_cast<int>(sizeof(sockaddr_in)))) {
    return detail::Fail(WSAEFAULT);
  }
  if (flags & ~(MSG_OOB | MSG_PEEK)) return detail::Fail(WSAEOPNOTSUPP);
  const bool datagram = IsDatagram(fd);
  bridge::Endpoint local;
  // An unbound datagram socket could never receive; the library refuses.
  if (datagram && bridge::LocalName(fd, &local) == 0 && local.port == 0) return detail::Fail(WSAEINVAL);
  bridge::Endpoint peer;
  bool truncated = false;
  const long count = detail::RetryWhileBlocked(fd, false, [&] {
    return bridge::Receive(fd, buf, static_cast<std::size_t>(len), flags, &peer, &truncated);
  });
  if (count < 0) return FailTransfer(fd);
  if (from != nullptr && datagram) detail::AddressFromEndpoint(peer, from, fromlen);
  // A datagram longer than the buffer: its first bytes stay in the buffer.
  if (truncated) return detail::Fail(WSAEMSGSIZE);
  return static_cast<int>(count);
}

}  // namespace

int send(SOCKET s, const char* buf, int len, int flags) { return Transmit(s, buf, len, flags, nullptr, 0); }

int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
  return Transmit(s, buf, len, flags, to, tolen);
}

int recv(SOCKET s, char* buf, int len, int flags) { return Collect(s, buf, len, flags, nullptr, nullptr); }

int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
  return Collect(s, buf, len, flags, from, fromlen);
}

}  // namespace winsock
