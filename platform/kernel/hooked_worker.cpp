#include "platform/kernel/hooked_worker.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/last_error.h"

namespace kernel {
namespace {

// Shared by the worker and the caller: whichever lets go last frees it, so
// a worker the caller has stopped waiting for still has all it uses.
struct WorkerState {
  std::function<void()> work;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr error;
};

void RunOnWorker(WorkerState& state) {
  try {
    state.work();
  } catch (...) {
    state.error = std::current_exception();
  }
  {
    const std::lock_guard lock(state.mutex);
    state.done = true;
  }
  state.finished.notify_all();
}

// False when a cancel ended the wait before the worker was done.
bool AwaitWorker(WorkerState& state) {
  std::unique_lock lock(state.mutex);
  const auto slice = std::chrono::milliseconds(kBlockingSliceMs);
  while (!state.finished.wait_for(lock, slice, [&state] { return state.done; })) {
    lock.unlock();
    CallBlockingHook();
    if (TakeBlockingCallCancel()) return false;
    lock.lock();
  }
  return true;
}

}  // namespace

bool RunWithBlockingHook(std::function<void()> work) {
  if (GetBlockingHook() == nullptr) {
    work();
    return true;
  }
  auto state = std::make_shared<WorkerState>();
  state->work = std::move(work);
  try {
    std::thread([state] { RunOnWorker(*state); }).detach();
  } catch (const std::system_error&) {
    state->work();  // no thread to spare: wait the old way rather than fail
    return true;
  }
  // The system's waits may set the caller's last error; the work's own is
  // the worker's, so the caller keeps what it had.
  const DWORD lastError = GetLastError();
  const bool finished = AwaitWorker(*state);
  SetLastError(lastError);
  if (!finished) return false;
  if (state->error) std::rethrow_exception(state->error);
  return true;
}

}  // namespace kernel
