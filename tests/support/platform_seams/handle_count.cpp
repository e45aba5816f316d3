#include "tests/support/platform_seams/handle_count.h"

#include <cstdint>

#include "platform/kernel/handle_table.h"

namespace vqtest {

// The table hands out handles in increasing order from 0x104 in steps of 4
// (handle_table.h), so a new handle marks the end of those given out so
// far, and every live one lies below it.
int LiveHandleCount() {
  constexpr std::uint32_t kFirst = 0x104;
  const std::uint32_t end = kernel::InsertHandle(-1, kernel::HandleKind::File);
  kernel::RemoveHandle(end);
  int live = 0;
  for (std::uint32_t handle = kFirst; handle < end; handle += 4) {
    if (kernel::IsHandleKind(handle, kernel::HandleKind::File) ||
        kernel::IsHandleKind(handle, kernel::HandleKind::Socket)) {
      ++live;
    }
  }
  return live;
}

}  // namespace vqtest
