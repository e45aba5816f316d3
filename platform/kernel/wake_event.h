#pragma once
#include "platform/kernel/handle_table.h"
#include "platform/kernel/handle_wait.h"
#include "platform/kernel/wake_event_source.h"

namespace kernel {

// An event that any thread may set and one thread waits on beside its
// sockets (handle_wait.h): its handle reads as ready from Set until Reset.
// What stands behind the handle is the system's (wake_event_source.h).
// Setting it never blocks.
class WakeEvent {
 public:
  // Handle() is kNoHandle when the system gave nothing for it.
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  WaitHandle Handle() const { return m_source.handle; }
  void Set();
  void Reset();

 private:
  WakeEventSource m_source;
};

}  // namespace kernel
