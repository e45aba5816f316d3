#pragma once
// Host programs for Windows tests under Wine. Wine (8.0) binds a UDP socket
// given a loopback address other than 127.0.0.1 to 0.0.0.0 and sends from
// 127.0.0.1, so peers and servers that need a loopback address of their own
// are played by the host's (Linux) builds of the same programs, which Wine
// starts as Unix processes. Such a process has no Windows handle and no
// pipes to it: it talks to the test over a loopback TCP connection
// (tests/win32/host/run_over_connection) and is stopped when that closes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vqtest {

// The host's builds this test program was given (absent: nullptr).
const char* HostStatusServer();
const char* HostUdpPeer();

// True when a stand-in bound to `address` must be the host's `program`:
// it is there, and this process's own sockets cannot send from `address`.
bool NeedsHostStandIn(const char* program, const std::string& address);

class HostProcess {
 public:
  // Starts the host's `program` (a Unix path) with `arguments` and waits up
  // to 10 s for it to connect. Throws std::runtime_error on failure.
  HostProcess(const std::string& program, const std::vector<std::string>& arguments);
  // Closes the connection, which stops the program.
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  void WriteLine(const std::string& line);
  // The next line of the program's output, without its newline; nullopt
  // when none comes within timeoutMs or the connection has ended.
  std::optional<std::string> ReadLine(int timeoutMs);
  // Ends the program (SIGTERM) and returns its exit status; the output it
  // had not yet read is dropped. Later calls return the same value.
  int Stop();

 private:
  std::uintptr_t m_socket;
  std::string m_pending;  // received, not yet returned as a line
  std::optional<int> m_exitStatus;
};

}  // namespace vqtest
