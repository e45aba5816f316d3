// A wake event set on another thread ends a wait on handles; reset, it no
// longer reads as ready.
#include "platform/kernel/wake_event.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/handle_wait.h"

namespace {

TEST(WakeEvent, SetOnAnotherThreadEndsAWaitWithoutLimit) {
  kernel::WakeEvent wake;
  ASSERT_NE(wake.Handle(), kernel::kNoHandle);
  std::thread setter([&wake] { wake.Set(); });
  std::vector<std::uint32_t> handles = {wake.Handle()};
  EXPECT_EQ(kernel::WaitForReadable(handles, -1), 1);
  setter.join();
  EXPECT_EQ(handles, std::vector<std::uint32_t>{wake.Handle()});

  wake.Set();  // twice set, once reset
  wake.Reset();
  EXPECT_EQ(kernel::WaitForReadable(handles, 0), 0);
  EXPECT_TRUE(handles.empty());
}

TEST(WakeEvent, ItsHandleLeavesTheTableWithIt) {
  std::uint32_t handle = kernel::kNoHandle;
  {
    const kernel::WakeEvent wake;
    handle = wake.Handle();
    EXPECT_GE(kernel::DescriptorOf(handle), 0);
  }
  EXPECT_EQ(kernel::DescriptorOf(handle), -1);
  std::vector<std::uint32_t> handles = {handle};
  errno = 0;
  EXPECT_EQ(kernel::WaitForReadable(handles, 0), -1);
  EXPECT_EQ(errno, EBADF);
}

}  // namespace
