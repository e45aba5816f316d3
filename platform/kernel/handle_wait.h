#pragma once
#include <cstdint>
#include <vector>

namespace kernel {

// A handle of the handle table: a socket, a file, a wake event.
using WaitHandle = std::uint32_t;

// Waits until one of the handles (sockets, a wake event) has something to
// read, at most timeoutMs (negative: without limit), in slices with the
// blocking hook between them (sliced_poll.h). Leaves the ready handles in
// `handles`, in their order. Returns their number; 0 on time-out; -1 when
// the wait was cancelled (errno EINTR) or failed, a handle not in the table
// among them (EBADF). Nothing is waited for when `handles` is empty.
int WaitForReadable(std::vector<WaitHandle>& handles, int timeoutMs);

}  // namespace kernel
