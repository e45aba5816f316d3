#pragma once
// A sockets library that cannot start, through its injection point
// (platform/winsock/startup_refusal.h).

namespace vqtest {

// While alive, WSAStartup fails with WSASYSNOTREADY (the network subsystem
// is unavailable). Nests.
class ScopedStartupFailure {
 public:
  ScopedStartupFailure();
  ~ScopedStartupFailure();
  ScopedStartupFailure(const ScopedStartupFailure&) = delete;
  ScopedStartupFailure& operator=(const ScopedStartupFailure&) = delete;

 private:
  int m_previous;
};

}  // namespace vqtest
