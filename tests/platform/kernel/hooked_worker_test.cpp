#include "platform/kernel/hooked_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/last_error.h"

namespace {

std::mutex g_mutex;
std::condition_variable g_hookRan;
int g_hookCalls = 0;

BOOL SignallingHook() {
  {
    std::lock_guard lock(g_mutex);
    ++g_hookCalls;
  }
  g_hookRan.notify_all();
  return FALSE;
}

class HookedWorker : public ::testing::Test {
 protected:
  void SetUp() override {
    g_hookCalls = 0;
    m_previous = kernel::SetBlockingHook(&SignallingHook);
  }
  void TearDown() override { kernel::SetBlockingHook(m_previous); }

 private:
  BLOCKINGHOOKPROC m_previous = nullptr;
};

TEST_F(HookedWorker, HookRunsOnTheCallingThreadUntilTheWorkEnds) {
  const std::thread::id caller = std::this_thread::get_id();
  std::thread::id worker;
  SetLastError(1234);
  kernel::RunWithBlockingHook([&] {
    worker = std::this_thread::get_id();
    SetLastError(5);  // the worker's own last error
    std::unique_lock lock(g_mutex);
    g_hookRan.wait(lock, [] { return g_hookCalls >= 3; });  // ends only once the caller has run the hook
  });
  EXPECT_NE(worker, caller);
  EXPECT_GE(g_hookCalls, 3);
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST(HookedWorkerWithoutHook, WorkRunsOnTheCallingThread) {
  ASSERT_EQ(kernel::GetBlockingHook(), nullptr);
  std::thread::id worker;
  kernel::RunWithBlockingHook([&] { worker = std::this_thread::get_id(); });
  EXPECT_EQ(worker, std::this_thread::get_id());
}

}  // namespace
