#include "platform/kernel/global_memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/kernel/last_error.h"

namespace {

// A movable block's handle is the address of its record, so it can never
// equal the address of the data.
struct Block {
  void* data;
  SIZE_T size;
  bool movable;
  int locks;
};

struct Blocks {
  std::mutex mutex;
  std::unordered_map<const void*, Block*> byHandle;
  std::unordered_map<const void*, Block*> byAddress;
};

Blocks& blocks() {
  static Blocks* b = new Blocks;
  return *b;
}

std::atomic<int> g_failingAllocations{0};

HGLOBAL HandleOf(Block* block) { return block->movable ? static_cast<HGLOBAL>(block) : block->data; }

Block* Find(Blocks& b, HGLOBAL hMem) {
  auto it = b.byHandle.find(hMem);
  if (it != b.byHandle.end()) return it->second;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  if (g_failingAllocations.load() > 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // At least one byte, so every block has a distinct address.
  const SIZE_T bytes = dwBytes == 0 ? 1 : dwBytes;
  void* data = (uFlags & GMEM_ZEROINIT) != 0 ? std::calloc(1, bytes) : std::malloc(bytes);
  auto* block = data == nullptr ? nullptr : new (std::nothrow) Block{data, dwBytes, (uFlags & GMEM_MOVEABLE) != 0, 0};
  if (block == nullptr) {
    std::free(data);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  b.byHandle[HandleOf(block)] = block;
  b.byAddress[data] = block;
  return HandleOf(block);
}

LPVOID GlobalLock(HGLOBAL hMem) {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  Block* block = Find(b, hMem);
  if (block == nullptr) return nullptr;
  if (block->movable) ++block->locks;
  return block->data;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  Block* block = Find(b, hMem);
  if (block == nullptr) return FALSE;
  if (!block->movable) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  if (block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->locks > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  Blocks& b = blocks();
  Block* block = nullptr;
  {
    std::lock_guard lock(b.mutex);
    block = Find(b, hMem);
    if (block == nullptr) return hMem;
    b.byHandle.erase(hMem);
    b.byAddress.erase(block->data);
  }
  std::free(block->data);
  delete block;
  return nullptr;
}

HGLOBAL GlobalHandle(LPCVOID pMem) {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  auto it = b.byAddress.find(pMem);
  if (it == b.byAddress.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return HandleOf(it->second);
}

SIZE_T GlobalSize(HGLOBAL hMem) {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  Block* block = Find(b, hMem);
  return block == nullptr ? 0 : block->size;
}

namespace kernel {
int LiveGlobalBlockCount() {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  return static_cast<int>(b.byHandle.size());
}

ScopedGlobalAllocFailure::ScopedGlobalAllocFailure() { ++g_failingAllocations; }

ScopedGlobalAllocFailure::~ScopedGlobalAllocFailure() { --g_failingAllocations; }

}  // namespace kernel
