#include "platform/kernel/handle_table.h"

#include <mutex>
#include <unordered_map>

namespace kernel {
namespace {

struct Entry {
  int fd;
  HandleKind kind;
  std::uint32_t flags = 0;
};

struct HandleEntries {
  std::mutex mutex;
  std::unordered_map<std::uint32_t, Entry> entries;
  std::uint32_t next = 0x104;  // handles step by 4, like the original's
};

HandleEntries& table() {
  static HandleEntries* t = new HandleEntries;  // never destroyed: handles may outlive statics
  return *t;
}

}  // namespace

std::uint32_t InsertHandle(int fd, HandleKind kind) {
  HandleEntries& t = table();
  std::lock_guard lock(t.mutex);
  for (;;) {
    const std::uint32_t value = t.next;
    t.next += 4;
    if (t.next == 0 || t.next >= 0xFFFFFFF0u) t.next = 0x104;
    if (value != 0 && value != kNoHandle && !t.entries.contains(value)) {
      t.entries.emplace(value, Entry{fd, kind, 0});
      return value;
    }
  }
}

int DescriptorOf(std::uint32_t handle) {
  HandleEntries& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  return it == t.entries.end() ? -1 : it->second.fd;
}

bool IsHandleKind(std::uint32_t handle, HandleKind kind) {
  HandleEntries& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  return it != t.entries.end() && it->second.kind == kind;
}

int RemoveHandle(std::uint32_t handle) {
  HandleEntries& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  if (it == t.entries.end()) return -1;
  const int fd = it->second.fd;
  t.entries.erase(it);
  return fd;
}

void SetHandleFlags(std::uint32_t handle, std::uint32_t flags) {
  HandleEntries& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  if (it != t.entries.end()) it->second.flags |= flags;
}

void ClearHandleFlags(std::uint32_t handle, std::uint32_t flags) {
  HandleEntries& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  if (it != t.entries.end()) it->second.flags &= ~flags;
}

std::uint32_t HandleFlags(std::uint32_t handle) {
  HandleEntries& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.entries.find(handle);
  return it == t.entries.end() ? 0 : it->second.flags;
}

}  // namespace kernel
