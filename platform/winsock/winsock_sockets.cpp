// Creating, setting up and closing sockets.
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
  kernel::SetHandleFlags(handle, detail::kTypeKnown | (type == SOCK_STREAM ? detail::kStream : 0));
  return handle;
}

int closesocket(SOCKET s) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  kernel::RemoveHandle(s);
  // The descriptor is released even when close reports a late error.
  return bridge::CloseSocket(fd) == 0 || errno == EINTR ? 0 : detail::FailFromErrno();
}

int shutdown(SOCKET s, int how) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (how < SD_RECEIVE || how > SD_BOTH) return detail::Fail(WSAEINVAL);
  if (bridge::Shutdown(fd, how) != 0) return detail::FailFromErrno();
  if (how != SD_RECEIVE) kernel::SetHandleFlags(s, detail::kSendShutDown);
  return 0;
}

// The sockets API's signature: other commands write through argp.
int ioctlsocket(SOCKET s, LONG cmd, u_long* argp) {  // NOLINT(readability-non-const-parameter)
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (argp == nullptr) return detail::Fail(WSAEFAULT);
  if (cmd != FIONBIO) return detail::Fail(WSAEINVAL);
  if (bridge::SetNonBlocking(fd, *argp != 0) != 0) return detail::FailFromErrno();
  if (*argp != 0) {
    kernel::SetHandleFlags(s, detail::kNonBlocking);
  } else {
    kernel::ClearHandleFlags(s, detail::kNonBlocking);
  }
  return 0;
}

}  // namespace winsock
