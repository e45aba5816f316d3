// getsockopt and setsockopt.
#include <cstring>

#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

using bridge::Option;

bool OptionFor(int level, int name, Option* option) {
  if (level == IPPROTO_TCP && name == TCP_NODELAY) {
    *option = Option::NoDelay;
    return true;
  }
  if (level != SOL_SOCKET) return false;
  switch (name) {
    case SO_REUSEADDR: *option = Option::ReuseAddress; return true;
    case SO_KEEPALIVE: *option = Option::KeepAlive; return true;
    case SO_DONTROUTE: *option = Option::DontRoute; return true;
    case SO_BROADCAST: *option = Option::Broadcast; return true;
    case SO_OOBINLINE: *option = Option::OobInline; return true;
    case SO_SNDBUF: *option = Option::SendBuffer; return true;
    case SO_RCVBUF: *option = Option::ReceiveBuffer; return true;
    case SO_ERROR: *option = Option::Error; return true;
    case SO_TYPE: *option = Option::Type; return true;
    case SO_ACCEPTCONN: *option = Option::AcceptConnections; return true;
    default: return false;
  }
}

bool IsReadOnly(Option option) {
  return option == Option::Error || option == Option::Type || option == Option::AcceptConnections;
}

int GetLingerOption(int fd, int name, char* optval, int* optlen) {
  bool on = false;
  int seconds = 0;
  if (bridge::GetLinger(fd, &on, &seconds) < 0) return detail::FailFromErrno();
  if (name == SO_DONTLINGER) {
    if (*optlen < static_cast<int>(sizeof(int))) return detail::Fail(WSAEFAULT);
    const int value = on ? 0 : 1;
    std::memcpy(optval, &value, sizeof(value));
    *optlen = sizeof(value);
    return 0;
  }
  if (*optlen < static_cast<int>(sizeof(linger))) return detail::Fail(WSAEFAULT);
  const linger value{static_cast<u_short>(on ? 1 : 0), static_cast<u_short>(seconds)};
  std::memcpy(optval, &value, sizeof(value));
  *optlen = sizeof(value);
  return 0;
}

int SetLingerOption(int fd, int name, const char* optval, int optlen) {
  if (name == SO_DONTLINGER) {
    int dontLinger = 0;
    if (optlen < static_cast<int>(sizeof(int))) return detail::Fail(WSAEFAULT);
    std::memcpy(&dontLinger, optval, sizeof(dontLinger));
    bool on = false;
    int seconds = 0;
    if (bridge::GetLinger(fd, &on, &seconds) < 0) return detail::FailFromErrno();
    return bridge::SetLinger(fd, dontLinger == 0, seconds) == 0 ? 0 : detail::FailFromErrno();
  }
  if (optlen < static_cast<int>(sizeof(linger))) return detail::Fail(WSAEFAULT);
  linger value;
  std::memcpy(&value, optval, sizeof(value));
  return bridge::SetLinger(fd, value.l_onoff != 0, value.l_linger) == 0 ? 0 : detail::FailFromErrno();
}

bool IsLinger(int level, int name) { return level == SOL_SOCKET && (name == SO_LINGER || name == SO_DONTLINGER); }

}  // namespace

int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (optval == nullptr || optlen == nullptr) return detail::Fail(WSAEFAULT);
  if (IsLinger(level, optname)) return GetLingerOption(fd, optname, optval, optlen);
  Option option;
  if (!OptionFor(level, optname, &option)) return detail::Fail(WSAENOPROTOOPT);
  if (*optlen < static_cast<int>(sizeof(int))) return detail::Fail(WSAEFAULT);
  int value = 0;
  if (bridge::GetOption(fd, option, &value) < 0) return detail::FailFromErrno();
  if (option == Option::Error && value != 0) value = detail::ErrorFromErrno(value);
  std::memcpy(optval, &value, sizeof(value));
  *optlen = sizeof(value);
  return 0;
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
  const int fd = detail::DescriptorFor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (optval == nullptr) return detail::Fail(WSAEFAULT);
  if (IsLinger(level, optname)) return SetLingerOption(fd, optname, optval, optlen);
  Option option;
  if (!OptionFor(level, optname, &option) || IsReadOnly(option)) return detail::Fail(WSAENOPROTOOPT);
  if (optlen < static_cast<int>(sizeof(int))) return detail::Fail(WSAEFAULT);
  int value = 0;
  std::memcpy(&value, optval, sizeof(value));
  return bridge::SetOption(fd, option, value) == 0 ? 0 : detail::FailFromErrno();
}

}  // namespace winsock
