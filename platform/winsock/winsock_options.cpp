// setsockopt: the receive buffer's size is the one option asked for.
#include <cstring>

#include "platform/winsock/winsock_internal.h"

namespace winsock {

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (optval == nullptr) return detail::Fail(WSAEFAULT);
  if (level != SOL_SOCKET || optname != SO_RCVBUF) return detail::Fail(WSAENOPROTOOPT);
  if (optlen < static_cast<int>(sizeof(int))) return detail::Fail(WSAEFAULT);
  int bytes = 0;
  std::memcpy(&bytes, optval, sizeof(bytes));
  return bridge::SetReceiveBuffer(fd, bytes) == 0 ? 0 : detail::FailFromErrno();
}

}  // namespace winsock
