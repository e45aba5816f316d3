#include "platform/kernel/global_memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/kernel/global_memory_source.h"
#include "platform/kernel/last_error.h"

namespace {

// A movable block's handle is the address of its record, so it can never
// equal the address of the data.
struct Block {
  void* data;
  SIZE_T size;
  bool movable;
  int locks;
  void (*release)(void*);
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

void* AllocateFromC(std::size_t bytes, bool zeroed) { return zeroed ? std::calloc(1, bytes) : std::malloc(bytes); }

constexpr kernel::GlobalMemorySource kCLibrary{&AllocateFromC, &std::free};

std::atomic<const kernel::GlobalMemorySource*> g_source{&kCLibrary};

HGLOBAL HandleOf(Block* block) { return block->movable ? static_cast<HGLOBAL>(block) : block->data; }

Block* Find(Blocks& b, HGLOBAL hMem) {
  auto it = b.byHandle.find(hMem);
  if (it != b.byHandle.end()) return it->second;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

const kernel::GlobalMemorySource* kernel::SetGlobalMemorySource(const GlobalMemorySource* source) {
  const GlobalMemorySource* previous = g_source.exchange(source != nullptr ? source : &kCLibrary);
  return previous == &kCLibrary ? nullptr : previous;
}

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  const kernel::GlobalMemorySource* source = g_source.load();
  // At least one byte, so every block has a distinct address.
  void* data = source->allocate(dwBytes == 0 ? 1 : dwBytes, (uFlags & GMEM_ZEROINIT) != 0);
  auto* block = data == nullptr ? nullptr
                                : new (std::nothrow)
                                      Block{data, dwBytes, (uFlags & GMEM_MOVEABLE) != 0, 0, source->release};
  if (block == nullptr) {
    if (data != nullptr) source->release(data);
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
  block->release(block->data);
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
