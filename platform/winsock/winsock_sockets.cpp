// Creating, naming, connecting and closing sockets.
#include <cstring>

#include "platform/kernel/handle_table.h"
#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

SOCKET FailSocket(int error) {
  detail::Fail(error);
  return INVALID_SOCKET;
}

}  // namespace

namespace detail {
namespace {

bool Refuse(int error) {
  Fail(error);
  return false;
}

}  // namespace

bool EndpointFromAddress(const sockaddr* name, int namelen, bridge::Endpoint* endpoint) {
  if (name == nullptr || namelen < static_cast<int>(sizeof(sockaddr_in))) return Refuse(WSAEFAULT);
  sockaddr_in address;
  std::memcpy(&address, name, sizeof(address));
  if (address.sin_family != AF_INET) return Refuse(WSAEAFNOSUPPORT);
  endpoint->address = address.sin_addr.s_addr;
  endpoint->port = address.sin_port;
  return true;
}

bool AddressFromEndpoint(const bridge::Endpoint& endpoint, sockaddr* name, int* namelen) {
  if (name == nullptr || namelen == nullptr || *namelen < static_cast<int>(sizeof(sockaddr_in))) {
    return Refuse(WSAEFAULT);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = endpoint.port;
  address.sin_addr.s_addr = endpoint.address;
  std::memcpy(name, &address, sizeof(address));
  *namelen = sizeof(address);
  return true;
}

}  // namespace detail

SOCKET socket(int af, int type, int protocol) {
  if (!detail::IsStarted()) return FailSocket(WSANOTINITIALISED);
  if (af != AF_INET) return FailSocket(WSAEAFNOSUPPORT);
  if (type < SOCK_STREAM || type > SOCK_SEQPACKET) return FailSocket(WSAESOCKTNOSUPPORT);
  const int fd = bridge::OpenSocket(af, type, protocol);
  if (fd < 0) return FailSocket(detail::ErrorFromErrno(errno));
  const SOCKET handle = kernel::InsertHandle(fd, kernel::HandleKind::Socket);
  if (type == SOCK_STREAM) kernel::SetHandleFlags(handle, detail::kStream);
  return handle;
}

int closesocket(SOCKET s) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  kernel::RemoveHandle(s);
  // The descriptor is released even when close reports a late error.
  return bridge::CloseSocket(fd) == 0 || errno == EINTR ? 0 : detail::FailFromErrno();
}

int bind(SOCKET s, const sockaddr* name, int namelen) {
  const int fd = detail::DescriptorFor(s);
  bridge::Endpoint local;
  if (fd < 0 || !detail::EndpointFromAddress(name, namelen, &local)) return SOCKET_ERROR;
  return bridge::Bind(fd, local) == 0 ? 0 : detail::FailFromErrno();
}

int connect(SOCKET s, const sockaddr* name, int namelen) {
  const int fd = detail::DescriptorFor(s);
  bridge::Endpoint peer;
  if (fd < 0 || !detail::EndpointFromAddress(name, namelen, &peer)) return SOCKET_ERROR;
  if (peer.address == INADDR_ANY || peer.port == 0) return detail::Fail(WSAEADDRNOTAVAIL);
  if (bridge::StartConnect(fd, peer) == 0) return 0;
  if (errno != EINPROGRESS) return detail::FailFromErrno();
  if (bridge::IsNonBlocking(fd)) return detail::Fail(WSAEWOULDBLOCK);
  detail::BlockingCall blocking;
  if (bridge::WaitReady(fd, true, -1) < 0) return detail::FailFromErrno();
  return bridge::FinishConnect(fd) == 0 ? 0 : detail::FailFromErrno();
}

int listen(SOCKET s, int backlog) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  return bridge::Listen(fd, backlog) == 0 ? 0 : detail::FailFromErrno();
}

SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return INVALID_SOCKET;
  if (addr != nullptr && (addrlen == nullptr || *addrlen < static_cast<int>(sizeof(sockaddr_in)))) {
    return FailSocket(WSAEFAULT);
  }
  bridge::Endpoint peer;
  const std::uint32_t flags = kernel::HandleFlags(s);
  const long accepted = detail::RetryWhileBlocked(fd, false, (flags & detail::kNonBlocking) != 0,
                                                  [&] { return bridge::Accept(fd, &peer); });
  if (accepted < 0) return FailSocket(detail::ErrorFromErrno(errno));
  if (addr != nullptr) detail::AddressFromEndpoint(peer, addr, addrlen);
  // The new socket is a stream socket in the listening socket's mode.
  const SOCKET handle = kernel::InsertHandle(static_cast<int>(accepted), kernel::HandleKind::Socket);
  kernel::SetHandleFlags(handle, detail::kStream | detail::kBound | (flags & detail::kNonBlocking));
  return handle;
}

int getsockname(SOCKET s, sockaddr* name, int* namelen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  bridge::Endpoint local;
  if (bridge::LocalName(fd, &local) < 0) return detail::FailFromErrno();
  // The library knows no name for a socket that was never bound.
  if (local.address == 0 && local.port == 0) return detail::Fail(WSAEINVAL);
  return detail::AddressFromEndpoint(local, name, namelen) ? 0 : SOCKET_ERROR;
}

int getpeername(SOCKET s, sockaddr* name, int* namelen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  bridge::Endpoint peer;
  if (bridge::PeerName(fd, &peer) < 0) return detail::FailFromErrno();
  return detail::AddressFromEndpoint(peer, name, namelen) ? 0 : SOCKET_ERROR;
}

int shutdown(SOCKET s, int how) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (how < SD_RECEIVE || how > SD_BOTH) return detail::Fail(WSAEINVAL);
  if (bridge::Shutdown(fd, how) != 0) return detail::FailFromErrno();
  if (how != SD_RECEIVE) kernel::SetHandleFlags(s, detail::kSendShutDown);
  return 0;
}

int ioctlsocket(SOCKET s, LONG cmd, u_long* argp) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (argp == nullptr) return detail::Fail(WSAEFAULT);
  if (cmd == FIONBIO) {
    if (bridge::SetNonBlocking(fd, *argp != 0) != 0) return detail::FailFromErrno();
    if (*argp != 0) {
      kernel::SetHandleFlags(s, detail::kNonBlocking);
    } else {
      kernel::ClearHandleFlags(s, detail::kNonBlocking);
    }
    return 0;
  }
  if (cmd == FIONREAD) {
    int pending = 0;
    if (bridge::PendingBytes(fd, &pending) < 0) return detail::FailFromErrno();
    *argp = static_cast<u_long>(pending);
    return 0;
  }
  return detail::Fail(WSAEINVAL);
}

}  // namespace winsock
