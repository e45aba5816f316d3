#pragma once
#include <functional>

namespace kernel {

// Runs work that may block for long (a name look-up waiting on a resolver)
// on a worker thread, while the calling thread waits for it in slices of
// kBlockingSliceMs and calls the blocking hook between them, so a GUI keeps
// repainting. Without a hook, or when no thread can be started, the work
// runs on the calling thread. Thread-local state (the last error, per-thread
// records) is the worker's own: the work should only compute, and the caller
// publish the result. An exception of the work is rethrown here.
void RunWithBlockingHook(const std::function<void()>& work);

}  // namespace kernel
