#pragma once
// Starts the sockets library (version 1.1) for the lifetime of a scope and
// cleans up after it. Start-ups are counted by the library, so a program
// that has started it already keeps it running afterwards.
#include "platform/winsock/winsock.h"

namespace winsock {

class ScopedStartup {
 public:
  ScopedStartup() {
    WSADATA data{};
    m_bStarted = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~ScopedStartup() {
    if (m_bStarted) WSACleanup();
  }
  ScopedStartup(const ScopedStartup&) = delete;
  ScopedStartup& operator=(const ScopedStartup&) = delete;

  bool started() const { return m_bStarted; }

 private:
  bool m_bStarted = false;
};

}  // namespace winsock
