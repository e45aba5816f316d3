#include "platform/kernel/sliced_poll.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/kernel/blocking_hook.h"

namespace kernel {

int SlicedPoll(pollfd* fds, nfds_t count, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  for (;;) {
    int slice = kBlockingSliceMs;
    if (timeoutMs >= 0) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      slice = static_cast<int>(std::clamp<long long>(left, 0, kBlockingSliceMs));
    }
    const int ready = ::poll(fds, count, slice);
    if (ready > 0) return ready;
    if (ready < 0 && errno != EINTR) return ready;
    if (timeoutMs >= 0 && Clock::now() >= deadline) return 0;
    CallBlockingHook();
    if (TakeBlockingCallCancel()) {
      errno = EINTR;
      return -1;
    }
  }
}

}  // namespace kernel
