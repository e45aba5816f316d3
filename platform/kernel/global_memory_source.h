#pragma once
// Where GlobalAlloc takes its memory from: the place where tests inject a
// stand-in allocator (tests/support/platform_seams), to see how callers meet
// exhausted memory and to count the blocks they leave behind.
#include <cstddef>

namespace kernel {

struct GlobalMemorySource {
  void* (*allocate)(std::size_t bytes, bool zeroed);  // null: no memory to be had
  void (*release)(void* data);
};

// Makes GlobalAlloc take its blocks from `source`; null gives the C
// library's allocator again. A block goes back to the source it came from.
// Returns the source it replaces (null: the C library's).
const GlobalMemorySource* SetGlobalMemorySource(const GlobalMemorySource* source);

}  // namespace kernel
