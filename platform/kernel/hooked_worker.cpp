#include "platform/kernel/hooked_worker.h"

#include <chrono>
#include <future>
#include <system_error>

#include "platform/kernel/blocking_hook.h"

namespace kernel {

void RunWithBlockingHook(const std::function<void()>& work) {
  if (GetBlockingHook() == nullptr) {
    work();
    return;
  }
  std::future<void> done;
  try {
    done = std::async(std::launch::async, work);
  } catch (const std::system_error&) {
    work();  // no thread to spare: wait the old way rather than fail
    return;
  }
  while (done.wait_for(std::chrono::milliseconds(kBlockingSliceMs)) != std::future_status::ready) {
    CallBlockingHook();
  }
  done.get();
}

}  // namespace kernel
