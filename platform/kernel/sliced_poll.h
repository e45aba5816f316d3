#pragma once
#include <poll.h>

namespace kernel {

// poll() that waits at most timeoutMs (negative: forever) in slices of
// kBlockingSliceMs, calling the blocking hook between slices. A timeout of 0
// is a single poll without the hook. Returns what poll() returns; EINTR is
// retried within the remaining time, unless the wait was cancelled or a stop
// signal caught (blocking_hook.h): then -1 with errno EINTR.
int SlicedPoll(pollfd* fds, nfds_t count, int timeoutMs);

}  // namespace kernel
