#include "platform/winsock/posix_bridge.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/kernel/sliced_poll.h"

namespace winsock::bridge {
namespace {

sockaddr_in ToPosix(const Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = endpoint.port;
  address.sin_addr.s_addr = endpoint.address;
  return address;
}

void FromPosix(const sockaddr_storage& storage, Endpoint* endpoint) {
  if (endpoint == nullptr || storage.ss_family != AF_INET) return;
  sockaddr_in address;
  std::memcpy(&address, &storage, sizeof(address));
  endpoint->address = address.sin_addr.s_addr;
  endpoint->port = address.sin_port;
}

int PosixFlags(int flags) {
  int result = 0;
  if (flags & kFlagOob) result |= MSG_OOB;
  if (flags & kFlagPeek) result |= MSG_PEEK;
  if (flags & kFlagDontRoute) result |= MSG_DONTROUTE;
  return result;
}

struct PosixOption {
  int level;
  int name;
};

PosixOption ToPosix(Option option) {
  switch (option) {
    case Option::ReuseAddress: return {SOL_SOCKET, SO_REUSEADDR};
    case Option::KeepAlive: return {SOL_SOCKET, SO_KEEPALIVE};
    case Option::DontRoute: return {SOL_SOCKET, SO_DONTROUTE};
    case Option::Broadcast: return {SOL_SOCKET, SO_BROADCAST};
    case Option::OobInline: return {SOL_SOCKET, SO_OOBINLINE};
    case Option::SendBuffer: return {SOL_SOCKET, SO_SNDBUF};
    case Option::ReceiveBuffer: return {SOL_SOCKET, SO_RCVBUF};
    case Option::Error: return {SOL_SOCKET, SO_ERROR};
    case Option::Type: return {SOL_SOCKET, SO_TYPE};
    case Option::AcceptConnections: return {SOL_SOCKET, SO_ACCEPTCONN};
    case Option::NoDelay: return {IPPROTO_TCP, TCP_NODELAY};
  }
  return {SOL_SOCKET, SO_ERROR};
}

}  // namespace

int OpenSocket(int family, int type, int protocol) { return ::socket(family, type | SOCK_CLOEXEC, protocol); }

int CloseSocket(int fd) { return ::close(fd); }

int Bind(int fd, const Endpoint& local) {
  const sockaddr_in address = ToPosix(local);
  return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
}

int StartConnect(int fd, const Endpoint& peer) {
  const sockaddr_in address = ToPosix(peer);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return -1;
  if (!(flags & O_NONBLOCK)) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  const int saved = errno;
  if (!(flags & O_NONBLOCK)) ::fcntl(fd, F_SETFL, flags);
  errno = saved;
  return result;
}

int FinishConnect(int fd) {
  int value = 0;
  if (GetOption(fd, Option::Error, &value) < 0) return -1;
  if (value == 0) return 0;
  errno = value;
  return -1;
}

int Listen(int fd, int backlog) { return ::listen(fd, backlog); }

int Accept(int fd, Endpoint* peer) {
  sockaddr_storage storage{};
  socklen_t length = sizeof(storage);
  const int accepted = ::accept4(fd, reinterpret_cast<sockaddr*>(&storage), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (accepted < 0) return -1;
  // The new socket inherits the listener's blocking mode, as in the library.
  if (!IsNonBlocking(fd)) SetNonBlocking(accepted, false);
  FromPosix(storage, peer);
  return accepted;
}

int LocalName(int fd, Endpoint* local) {
  sockaddr_storage storage{};
  socklen_t length = sizeof(storage);
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) < 0) return -1;
  FromPosix(storage, local);
  return 0;
}

int PeerName(int fd, Endpoint* peer) {
  sockaddr_storage storage{};
  socklen_t length = sizeof(storage);
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&storage), &length) < 0) return -1;
  FromPosix(storage, peer);
  return 0;
}

int Shutdown(int fd, int how) { return ::shutdown(fd, how); }

long Send(int fd, const void* data, std::size_t length, int flags, const Endpoint* to) {
  const int posixFlags = PosixFlags(flags) | MSG_DONTWAIT | MSG_NOSIGNAL;
  if (to == nullptr) return ::send(fd, data, length, posixFlags);
  const sockaddr_in address = ToPosix(*to);
  return ::sendto(fd, data, length, posixFlags, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
}

long Receive(int fd, void* buffer, std::size_t length, int flags, Endpoint* from, bool* truncated) {
  sockaddr_storage storage{};
  iovec vector{buffer, length};
  msghdr message{};
  message.msg_name = &storage;
  message.msg_namelen = sizeof(storage);
  message.msg_iov = &vector;
  message.msg_iovlen = 1;
  const long count = ::recvmsg(fd, &message, PosixFlags(flags) | MSG_DONTWAIT);
  if (count < 0) return -1;
  if (truncated != nullptr) *truncated = (message.msg_flags & MSG_TRUNC) != 0;
  if (message.msg_namelen >= sizeof(sockaddr_in)) FromPosix(storage, from);
  return count;
}

bool IsNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) != 0;
}

int SetNonBlocking(int fd, bool on) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return -1;
  return ::fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

int PendingBytes(int fd, int* count) { return ::ioctl(fd, FIONREAD, count); }

int SocketType(int fd) {
  int type = 0;
  return GetOption(fd, Option::Type, &type) < 0 ? -1 : type;
}

int GetOption(int fd, Option option, int* value) {
  const PosixOption o = ToPosix(option);
  socklen_t length = sizeof(*value);
  return ::getsockopt(fd, o.level, o.name, value, &length);
}

int SetOption(int fd, Option option, int value) {
  const PosixOption o = ToPosix(option);
  return ::setsockopt(fd, o.level, o.name, &value, sizeof(value));
}

int GetLinger(int fd, bool* on, int* seconds) {
  ::linger value{};
  socklen_t length = sizeof(value);
  if (::getsockopt(fd, SOL_SOCKET, SO_LINGER, &value, &length) < 0) return -1;
  *on = value.l_onoff != 0;
  *seconds = value.l_linger;
  return 0;
}

int SetLinger(int fd, bool on, int seconds) {
  const ::linger value{on ? 1 : 0, seconds};
  return ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &value, sizeof(value));
}

int WaitReady(int fd, bool forWrite, int timeoutMs) {
  pollfd item{fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
  return kernel::SlicedPoll(&item, 1, timeoutMs);
}

int PollSockets(std::vector<PollItem>& items, int timeoutMs) {
  std::vector<pollfd> fds;
  fds.reserve(items.size());
  for (const PollItem& item : items) {
    short events = 0;
    if (item.wantRead) events |= POLLIN;
    if (item.wantWrite) events |= POLLOUT;
    if (item.wantExcept) events |= POLLPRI;
    fds.push_back({item.fd, events, 0});
  }
  const int result = kernel::SlicedPoll(fds.data(), fds.size(), timeoutMs);
  if (result <= 0) return result;
  int ready = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const short got = fds[i].revents;
    if (got & POLLNVAL) {
      errno = EBADF;
      return -1;
    }
    PollItem& item = items[i];
    // A closed or failed socket counts as readable: the next receive reports it.
    item.read = item.wantRead && (got & (POLLIN | POLLHUP | POLLERR));
    item.write = item.wantWrite && (got & (POLLOUT | POLLERR));
    item.except = item.wantExcept && (got & POLLPRI);
    if (item.read || item.write || item.except) ++ready;
  }
  return ready;
}

int HostName(std::string* name) {
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof(buffer) - 1) < 0) return -1;
  *name = buffer;
  return 0;
}

}  // namespace winsock::bridge
