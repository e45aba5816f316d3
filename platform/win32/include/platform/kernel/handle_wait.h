#pragma once
#include <cstdint>
#include <vector>

namespace kernel {

// A socket of the system's sockets library (a wake event is one too).
using WaitHandle = std::uintptr_t;

// Waits until one of the sockets has something to read, at most timeoutMs
// (negative: without limit), in slices with the blocking hook between
// them. Leaves the ready ones in `handles`, in their order. Returns their
// number; 0 on time-out; -1 when the wait was cancelled (errno EINTR) or
// failed (EBADF for a handle that is no socket). Nothing is waited for
// when `handles` is empty.
int WaitForReadable(std::vector<WaitHandle>& handles, int timeoutMs);

}  // namespace kernel
