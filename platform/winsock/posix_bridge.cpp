#include "platform/winsock/posix_bridge.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
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

}  // namespace

int OpenSocket(int family, int type, int protocol) { return ::socket(family, type | SOCK_CLOEXEC, protocol); }

int CloseSocket(int fd) { return ::close(fd); }

int LocalName(int fd, Endpoint* local) {
  sockaddr_storage storage{};
  socklen_t length = sizeof(storage);
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) < 0) return -1;
  FromPosix(storage, local);
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

int SetNonBlocking(int fd, bool on) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return -1;
  return ::fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

int SocketType(int fd) {
  int type = 0;
  socklen_t length = sizeof(type);
  return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) < 0 ? -1 : type;
}

int SetReceiveBuffer(int fd, int bytes) { return ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof(bytes)); }

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
    item.read = item.wantRead && (got & (POLLIN | POLLHUP | POLLERR)) != 0;
    item.write = item.wantWrite && (got & (POLLOUT | POLLERR)) != 0;
    item.except = item.wantExcept && (got & POLLPRI) != 0;
    if (item.read || item.write || item.except) ++ready;
  }
  return ready;
}

}  // namespace winsock::bridge
