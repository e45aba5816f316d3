#include "platform/kernel/handle_wait.h"

#include <cerrno>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/sliced_poll.h"

namespace kernel {

int WaitForReadable(std::vector<WaitHandle>& handles, int timeoutMs) {
  std::vector<pollfd> fds;
  fds.reserve(handles.size());
  for (const WaitHandle handle : handles) {
    const int fd = DescriptorOf(handle);
    if (fd < 0) {
      errno = EBADF;
      return -1;
    }
    fds.push_back({fd, POLLIN, 0});
  }
  const int ready = fds.empty() ? 0 : SlicedPoll(fds.data(), fds.size(), timeoutMs);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < handles.size(); ++i) {
    if (ready > 0 && fds[i].revents != 0) handles[kept++] = handles[i];
  }
  handles.resize(kept);
  return ready < 0 ? -1 : static_cast<int>(kept);
}

}  // namespace kernel
