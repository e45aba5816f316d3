#include "platform/kernel/handle_wait.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/windef.h"

namespace kernel {
namespace {

// A descriptor set of any size: the system's fd_set is a count followed by
// an array of sockets, of which FD_SETSIZE is only the default length.
class SocketSet {
 public:
  explicit SocketSet(const std::vector<WaitHandle>& handles) : m_words(handles.size() + 1) {
    Header().fd_count = static_cast<u_int>(handles.size());
    std::copy(handles.begin(), handles.end(), Header().fd_array);
  }
  fd_set* Get() { return &Header(); }
  bool Has(WaitHandle handle) { return FD_ISSET(handle, Get()) != 0; }

 private:
  fd_set& Header() { return *reinterpret_cast<fd_set*>(m_words.data()); }
  static_assert(offsetof(fd_set, fd_array) == sizeof(SOCKET), "fd_set: a count, then the sockets");
  std::vector<SOCKET> m_words;
};

int FailFromSockets() {
  errno = WSAGetLastError() == WSAENOTSOCK ? EBADF : EIO;
  return -1;
}

}  // namespace

// select() in slices of kBlockingSliceMs with the blocking hook between
// them, as the POSIX build's poll() does.
int WaitForReadable(std::vector<WaitHandle>& handles, int timeoutMs) {
  if (handles.empty()) return 0;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  for (;;) {
    long slice = kBlockingSliceMs;
    if (timeoutMs >= 0) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      slice = static_cast<long>(std::clamp<long long>(left, 0, kBlockingSliceMs));
    }
    SocketSet ready(handles);
    timeval wait{0, slice * 1000};
    const int count = ::select(0, ready.Get(), nullptr, nullptr, &wait);
    if (count == SOCKET_ERROR) return FailFromSockets();
    if (count > 0) {
      std::erase_if(handles, [&ready](WaitHandle handle) { return !ready.Has(handle); });
      return static_cast<int>(handles.size());
    }
    if (timeoutMs >= 0 && Clock::now() >= deadline) break;
    CallBlockingHook();
    if (TakeBlockingCallCancel()) {
      errno = EINTR;
      return -1;
    }
  }
  handles.clear();
  return 0;
}

}  // namespace kernel
