#pragma once
#include "platform/kernel/handle_wait.h"

namespace kernel {

// An eventfd, and its file handle in the handle table.
struct WakeEventSource {
  int fd;
  WaitHandle handle;
};

}  // namespace kernel
