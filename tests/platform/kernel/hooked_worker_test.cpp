#include "platform/kernel/hooked_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

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

TEST_F(HookedWorker, ResultAndExceptionOfTheWorkComeBack) {
  EXPECT_EQ(kernel::RunWithBlockingHookFor<int>([] { return 42; }), 42);
  EXPECT_THROW(kernel::RunWithBlockingHook([] { throw std::runtime_error("no"); }), std::runtime_error);
}

// Held shut until the test opens it; tells the test when the worker has let
// go of everything it shared.
struct Gate {
  void Open() {
    {
      const std::lock_guard lock(mutex);
      open = true;
    }
    changed.notify_all();
  }

  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  bool released = false;
};

// The window's close calls for the wait in progress to end (the hook
// cancels it): the wait ends although the work has not, and the worker,
// released later, finishes on state of its own. A wait that outlasts the
// cancel gets the gate opened, so that it fails rather than hangs.
Gate* g_gate = nullptr;
int g_cancellingHookCalls = 0;

BOOL CancellingHook() {
  if (g_cancellingHookCalls++ == 0) {
    kernel::CancelBlockingCall();
  } else {
    g_gate->Open();
  }
  return TRUE;
}

// Captured by the work: gone once the worker's state is freed.
struct ReleaseSignal {
  explicit ReleaseSignal(std::shared_ptr<Gate> gate) : gate(std::move(gate)) {}
  ReleaseSignal(const ReleaseSignal&) = delete;
  ReleaseSignal& operator=(const ReleaseSignal&) = delete;
  ~ReleaseSignal() {
    {
      const std::lock_guard lock(gate->mutex);
      gate->released = true;
    }
    gate->changed.notify_all();
  }
  std::shared_ptr<Gate> gate;
};

TEST(HookedWorkerCancel, CancelEndsTheWaitAndTheWorkerFinishesAlone) {
  const BLOCKINGHOOKPROC previous = kernel::SetBlockingHook(&CancellingHook);
  auto gate = std::make_shared<Gate>();
  g_gate = gate.get();
  std::optional<std::vector<int>> result;
  {
    auto signal = std::make_shared<ReleaseSignal>(gate);
    result = kernel::RunWithBlockingHookFor<std::vector<int>>([gate, signal] {
      std::unique_lock lock(gate->mutex);
      gate->changed.wait(lock, [&gate] { return gate->open; });
      return std::vector<int>(1000, 7);  // dropped: nobody waits for it any more
    });
  }
  kernel::SetBlockingHook(previous);
  EXPECT_FALSE(result.has_value()) << "the wait outlasted its cancel";
  EXPECT_FALSE(kernel::TakeBlockingCallCancel()) << "the wait left its cancel behind";
  std::unique_lock lock(gate->mutex);
  EXPECT_TRUE(gate->open || !gate->released) << "the worker's state went while the worker ran";
  gate->open = true;
  gate->changed.notify_all();
  gate->changed.wait(lock, [&gate] { return gate->released; });
}

TEST(HookedWorkerWithoutHook, WorkRunsOnTheCallingThread) {
  ASSERT_EQ(kernel::GetBlockingHook(), nullptr);
  std::thread::id worker;
  kernel::RunWithBlockingHook([&] { worker = std::this_thread::get_id(); });
  EXPECT_EQ(worker, std::this_thread::get_id());
}

}  // namespace
