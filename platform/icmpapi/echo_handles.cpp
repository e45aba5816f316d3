#include "platform/icmpapi/echo_handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace icmpapi {
namespace {

constexpr std::uintptr_t kFirstHandle = 0x1C04;
constexpr std::uintptr_t kHandleStep = 4;
constexpr std::uintptr_t kHandleLimit = 0xFFFFFFF0u;  // values start over below it

struct EchoHandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<EchoSocket>> sockets;
  std::uintptr_t next = kFirstHandle;
};

EchoHandleTable& table() {
  static EchoHandleTable* handles = new EchoHandleTable;  // never destroyed: handles may outlive statics
  return *handles;
}

std::uintptr_t ValueOf(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

HANDLE InsertEchoSocket(std::shared_ptr<EchoSocket> socket) {
  EchoHandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  for (;;) {
    const std::uintptr_t value = handles.next;
    handles.next += kHandleStep;
    if (handles.next >= kHandleLimit) handles.next = kFirstHandle;
    if (!handles.sockets.contains(value)) {
      handles.sockets.emplace(value, std::move(socket));
      return reinterpret_cast<HANDLE>(value);
    }
  }
}

std::shared_ptr<EchoSocket> FindEchoSocket(HANDLE handle) {
  EchoHandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.sockets.find(ValueOf(handle));
  return it == handles.sockets.end() ? nullptr : it->second;
}

bool RemoveEchoSocket(HANDLE handle) {
  std::shared_ptr<EchoSocket> released;  // closed after the lock is let go
  EchoHandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  auto it = handles.sockets.find(ValueOf(handle));
  if (it == handles.sockets.end()) return false;
  released = std::move(it->second);
  handles.sockets.erase(it);
  return true;
}

}  // namespace icmpapi
