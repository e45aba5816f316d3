#include "tests/support/platform_seams/global_memory_seams.h"

#include <atomic>
#include <cstdlib>

#include "platform/kernel/global_memory_source.h"

namespace vqtest {
namespace {

std::atomic<int> g_failing{0};
std::atomic<int> g_live{0};

void* Allocate(std::size_t bytes, bool zeroed) {
  if (g_failing.load() > 0) return nullptr;
  void* data = zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
  if (data != nullptr) ++g_live;
  return data;
}

void Release(void* data) {
  --g_live;
  std::free(data);
}

constexpr kernel::GlobalMemorySource kCounting{&Allocate, &Release};

// Before main, so that every block of the program is counted.
const bool kInstalled = [] {
  kernel::SetGlobalMemorySource(&kCounting);
  return true;
}();

}  // namespace

int LiveGlobalBlockCount() { return kInstalled ? g_live.load() : 0; }

ScopedGlobalAllocFailure::ScopedGlobalAllocFailure() { ++g_failing; }

ScopedGlobalAllocFailure::~ScopedGlobalAllocFailure() { --g_failing; }

}  // namespace vqtest
