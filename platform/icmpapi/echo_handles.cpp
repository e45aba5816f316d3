#include "platform/icmpapi/echo_handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace icmpapi {
namespace {

constexpr std::uintptr_t kFirstHandle = 0x1C04;
constexpr std::uintptr_t kHandleStep = 4;

struct EchoHandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<EchoSocket>> sockets;
  std::uintptr_t next = kFirstHandle;
};

EchoHandleTable& table() {
  static EchoHandleTable* t = new EchoHandleTable;  // never destroyed: handles may outlive statics
  return *t;
}

std::uintptr_t ValueOf(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

HANDLE InsertEchoSocket(std::shared_ptr<EchoSocket> socket) {
  EchoHandleTable& t = table();
  std::lock_guard lock(t.mutex);
  for (;;) {
    const std::uintptr_t value = t.next;
    t.next += kHandleStep;
    if (t.next >= 0xFFFFFFF0u) t.next = kFirstHandle;
    if (!t.sockets.contains(value)) {
      t.sockets.emplace(value, std::move(socket));
      return reinterpret_cast<HANDLE>(value);
    }
  }
}

std::shared_ptr<EchoSocket> FindEchoSocket(HANDLE handle) {
  EchoHandleTable& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.sockets.find(ValueOf(handle));
  return it == t.sockets.end() ? nullptr : it->second;
}

bool RemoveEchoSocket(HANDLE handle) {
  std::shared_ptr<EchoSocket> released;  // closed after the lock is let go
  EchoHandleTable& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.sockets.find(ValueOf(handle));
  if (it == t.sockets.end()) return false;
  released = std::move(it->second);
  t.sockets.erase(it);
  return true;
}

}  // namespace icmpapi
