#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace kernel {

// Runs work that may block for long (a name look-up waiting on a resolver)
// on a worker thread, while the calling thread waits for it in slices of
// kBlockingSliceMs and calls the blocking hook between them, so a GUI keeps
// repainting. Without a hook, or when no thread can be started, the work
// runs on the calling thread. Thread-local state (the last error, per-thread
// records) is the worker's own: the work should only compute, and the caller
// publish the result. An exception of the work is rethrown here.
//
// A cancel (TakeBlockingCallCancel: the hook's CancelBlockingCall, a stop
// signal) ends the wait after its slice and returns false: the caller fails
// as interrupted. The worker is then left to finish on its own and nothing
// waits for it, so the work must own all it touches (capture by value,
// never the caller's locals by reference).
bool RunWithBlockingHook(std::function<void()> work);

// The same for work that gives a result: empty when the wait was cancelled,
// the abandoned worker's result being dropped with the state it shares.
template <typename Result, typename Work>
std::optional<Result> RunWithBlockingHookFor(Work work) {
  auto result = std::make_shared<std::optional<Result>>();
  if (!RunWithBlockingHook([result, work = std::move(work)]() mutable { *result = work(); })) return std::nullopt;
  return std::move(*result);
}

}  // namespace kernel
