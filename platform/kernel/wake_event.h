#pragma once
#include <cstdint>

namespace kernel {

// An event that any thread may set and one thread waits on beside its
// sockets (handle_wait.h): its handle, a file handle of the handle table,
// reads as ready from Set until Reset. Setting it never blocks.
class WakeEvent {
 public:
  // Handle() is kNoHandle when the system gave no descriptor for it.
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  std::uint32_t Handle() const { return m_handle; }
  void Set();
  void Reset();

 private:
  int m_fd;
  std::uint32_t m_handle;
};

}  // namespace kernel
