// send, recv, sendto and recvfrom.
#include "platform/kernel/handle_table.h"
#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

bool IsDatagram(std::uint32_t flags) { return (flags & detail::kStream) == 0; }
bool IsNonBlocking(std::uint32_t flags) { return (flags & detail::kNonBlocking) != 0; }

int FailTransfer(std::uint32_t flags) {
  // An ICMP port-unreachable answer to an earlier datagram: the library
  // reports the connection as reset.
  if (errno == ECONNREFUSED && IsDatagram(flags)) return detail::Fail(WSAECONNRESET);
  return detail::FailFromErrno();
}

// POSIX says EPIPE both after this side's own shutdown and when the peer
// has closed; the library says "shut down" only for the first.
int FailSend(std::uint32_t flags) {
  if (errno == EPIPE && (flags & detail::kSendShutDown) != 0) return detail::Fail(WSAESHUTDOWN);
  return FailTransfer(flags);
}

// An unbound datagram socket could never receive; the library refuses. A
// socket seen bound is remembered as such.
bool IsBound(SOCKET s, int fd, std::uint32_t flags) {
  if ((flags & detail::kBound) != 0) return true;
  bridge::Endpoint local;
  if (bridge::LocalName(fd, &local) != 0 || local.port == 0) return false;
  kernel::SetHandleFlags(s, detail::kBound);
  return true;
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
  const std::uint32_t handleFlags = detail::TransferFlags(s, fd);
  // In blocking mode a stream send returns only when everything is queued.
  const bool sendAll = !IsDatagram(handleFlags) && !IsNonBlocking(handleFlags);
  long total = 0;
  do {
    const long sent = detail::RetryWhileBlocked(fd, true, IsNonBlocking(handleFlags), [&] {
      return bridge::Send(fd, buf + total, static_cast<std::size_t>(len - total), flags, target);
    });
    if (sent < 0) return total > 0 ? static_cast<int>(total) : FailSend(handleFlags);
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
  const std::uint32_t handleFlags = detail::TransferFlags(s, fd);
  const bool datagram = IsDatagram(handleFlags);
  bridge::Endpoint peer;
  bool truncated = false;
  // The receive is tried first: what is there is taken without a further
  // system call; only a socket with nothing to read is looked at closer.
  long count = 0;
  for (;;) {
    count = bridge::Receive(fd, buf, static_cast<std::size_t>(len), flags, &peer, &truncated);
    if (count >= 0) break;
    if (errno != EAGAIN) return FailTransfer(handleFlags);
    if (datagram && !IsBound(s, fd, handleFlags)) return detail::Fail(WSAEINVAL);
    if (IsNonBlocking(handleFlags)) return detail::FailFromErrno();
    if (bridge::WaitReady(fd, false, -1) < 0) return detail::FailFromErrno();
  }
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
