#include "platform/kernel/handle_table.h"

#include <mutex>
#include <unordered_map>

namespace kernel {
namespace {

// Handles step by 4 from here, like the original's, and start over before
// they reach the top of the range.
constexpr std::uint32_t kFirstHandle = 0x104;
constexpr std::uint32_t kHandleStep = 4;
constexpr std::uint32_t kHandleLimit = 0xFFFFFFF0u;

struct Entry {
  int fd;
  HandleKind kind;
  std::uint32_t flags = 0;
};

struct HandleEntries {
  std::mutex mutex;
  std::unordered_map<std::uint32_t, Entry> entries;
  std::uint32_t next = kFirstHandle;
};

HandleEntries& table() {
  static HandleEntries* handles = new HandleEntries;  // never destroyed: handles may outlive statics
  return *handles;
}

}  // namespace

std::uint32_t InsertHandle(int fd, HandleKind kind) {
  HandleEntries& handles = table();
  std::lock_guard lock(handles.mutex);
  for (;;) {
    const std::uint32_t value = handles.next;
    handles.next += kHandleStep;
    if (handles.next == 0 || handles.next >= kHandleLimit) handles.next = kFirstHandle;
    if (value != 0 && value != kNoHandle && !handles.entries.contains(value)) {
      handles.entries.emplace(value, Entry{fd, kind, 0});
      return value;
    }
  }
}

int DescriptorOf(std::uint32_t handle) {
  HandleEntries& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.entries.find(handle);
  return it == handles.entries.end() ? -1 : it->second.fd;
}

bool IsHandleKind(std::uint32_t handle, HandleKind kind) {
  HandleEntries& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.entries.find(handle);
  return it != handles.entries.end() && it->second.kind == kind;
}

int RemoveHandle(std::uint32_t handle) {
  HandleEntries& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.entries.find(handle);
  if (it == handles.entries.end()) return -1;
  const int fd = it->second.fd;
  handles.entries.erase(it);
  return fd;
}

void SetHandleFlags(std::uint32_t handle, std::uint32_t flags) {
  HandleEntries& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.entries.find(handle);
  if (it != handles.entries.end()) it->second.flags |= flags;
}

void ClearHandleFlags(std::uint32_t handle, std::uint32_t flags) {
  HandleEntries& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.entries.find(handle);
  if (it != handles.entries.end()) it->second.flags &= ~flags;
}

std::uint32_t HandleFlags(std::uint32_t handle) {
  HandleEntries& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.entries.find(handle);
  return it == handles.entries.end() ? 0 : it->second.flags;
}

}  // namespace kernel
