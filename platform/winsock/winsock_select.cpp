// select and the descriptor-set helpers.
#include <algorithm>
#include <climits>
#include <vector>

#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

enum SetKind { kRead, kWrite, kExcept };

struct Watched {
  SOCKET handle;
  SetKind kind;
};

bool TimeoutToMilliseconds(const timeval* timeout, int* milliseconds) {
  if (timeout == nullptr) {
    *milliseconds = -1;
    return true;
  }
  if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return false;
  const long long total = static_cast<long long>(timeout->tv_sec) * 1000 + (timeout->tv_usec + 999) / 1000;
  *milliseconds = static_cast<int>(std::min<long long>(total, INT_MAX));
  return true;
}

// Adds every handle of a set to the poll list; fails with the library's
// error for a malformed set or a handle that is not a socket.
bool Collect(WSA_FD_SET* set, SetKind kind, std::vector<Watched>* watched, std::vector<bridge::PollItem>* items) {
  if (set == nullptr) return true;
  if (set->fd_count > FD_SETSIZE) {
    detail::Fail(WSAEINVAL);
    return false;
  }
  for (u_int i = 0; i < set->fd_count; ++i) {
    const int fd = detail::DescriptorFor(set->fd_array[i]);
    if (fd < 0) return false;
    bridge::PollItem item;
    item.fd = fd;
    item.wantRead = kind == kRead;
    item.wantWrite = kind == kWrite;
    item.wantExcept = kind == kExcept;
    items->push_back(item);
    watched->push_back({set->fd_array[i], kind});
  }
  return true;
}

bool IsReady(const bridge::PollItem& item) { return item.read || item.write || item.except; }

// Rewrites a set to hold only its ready handles, in their original order.
void KeepReady(WSA_FD_SET* set, SetKind kind, const std::vector<Watched>& watched,
               const std::vector<bridge::PollItem>& items) {
  if (set == nullptr) return;
  set->fd_count = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (watched[i].kind == kind && IsReady(items[i])) set->fd_array[set->fd_count++] = watched[i].handle;
  }
}

}  // namespace

int select(int /*nfds*/, WSA_FD_SET* readfds, WSA_FD_SET* writefds, WSA_FD_SET* exceptfds, const timeval* timeout) {
  if (!detail::IsStarted()) return detail::Fail(WSANOTINITIALISED);
  int milliseconds = 0;
  if (!TimeoutToMilliseconds(timeout, &milliseconds)) return detail::Fail(WSAEINVAL);
  std::vector<Watched> watched;
  std::vector<bridge::PollItem> items;
  if (!Collect(readfds, kRead, &watched, &items) || !Collect(writefds, kWrite, &watched, &items) ||
      !Collect(exceptfds, kExcept, &watched, &items)) {
    return SOCKET_ERROR;
  }
  // Nothing to wait for is an error in the library, not a sleep.
  if (items.empty()) return detail::Fail(WSAEINVAL);
  const int ready = bridge::PollSockets(items, milliseconds);
  if (ready < 0) return detail::FailFromErrno();
  KeepReady(readfds, kRead, watched, items);
  KeepReady(writefds, kWrite, watched, items);
  KeepReady(exceptfds, kExcept, watched, items);
  return ready;
}

int __WSAFDIsSet(SOCKET s, WSA_FD_SET* set) {
  if (set == nullptr) return 0;
  const u_int count = std::min<u_int>(set->fd_count, FD_SETSIZE);
  return std::find(set->fd_array, set->fd_array + count, s) != set->fd_array + count ? 1 : 0;
}

void FdSetAdd(SOCKET s, WSA_FD_SET* set) {
  if (__WSAFDIsSet(s, set) || set->fd_count >= FD_SETSIZE) return;
  set->fd_array[set->fd_count++] = s;
}

}  // namespace winsock
