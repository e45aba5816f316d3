#pragma once
// GlobalAlloc's memory in tests, through the kernel's injection point
// (platform/kernel/global_memory_source.h): exhausted on demand, and the
// blocks counted. A program that uses either takes all its global memory
// through the counting allocator, from its start.

namespace vqtest {

// Global memory blocks allocated and not yet freed.
int LiveGlobalBlockCount();

// While alive, GlobalAlloc fails as on exhausted memory (null,
// ERROR_NOT_ENOUGH_MEMORY). Nests.
class ScopedGlobalAllocFailure {
 public:
  ScopedGlobalAllocFailure();
  ~ScopedGlobalAllocFailure();
  ScopedGlobalAllocFailure(const ScopedGlobalAllocFailure&) = delete;
  ScopedGlobalAllocFailure& operator=(const ScopedGlobalAllocFailure&) = delete;
};

}  // namespace vqtest
