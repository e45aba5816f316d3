#pragma once
#include <cstdint>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/windef.h"

namespace kernel {

// An event that any thread may set and one thread waits on beside its
// sockets (handle_wait.h). select() waits on sockets alone, so the event is
// a datagram socket on loopback that sends to itself: its handle reads as
// ready from Set until Reset. Setting it never blocks.
class WakeEvent {
 public:
  // Handle() is kNoHandle when the system gave no socket for it.
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  WaitHandle Handle() const { return m_socket; }
  void Set();
  void Reset();

 private:
  SOCKET m_socket;
};

}  // namespace kernel
