#pragma once
// Runs the stand-in status server (quillmar-status-server) as a separate
// process for tests and benchmarks. Plain POSIX underneath, without
// GoogleTest (the benchmarks build it too); like udp_peer.h this header
// includes no system socket headers, so it can be used next to the
// platform's sockets library.
//
// Typical use, with the server's path from the build:
//   vqtest::StatusServerProcess server(VQ_STATUS_SERVER,
//       {"--bind", vqtest::DistinctLoopbackAddress(), "--seconds-left", "5400"});
//   peer.SendTo(server.Address(), server.Port(), "anyt");
// The destructor stops the server with SIGTERM and reaps it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vqtest {

// Exit code of a process that ended normally, or 128 + signal number when
// a signal killed it (the shell's convention).
using ExitStatus = int;

struct ProgramRun {
  ExitStatus exitStatus = -1;
  std::string output;  // everything it wrote to standard output
  std::string errors;  // everything it wrote to standard error
};

// Runs a program to its end with standard input from /dev/null and returns
// what it printed. Throws std::runtime_error when it cannot be started.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);
// The same, calling `whileRunning` with the program's pid once it has
// started (to answer it, or signal it); what it prints is read afterwards,
// so it may print at most a pipe's worth (64 KiB) meanwhile.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::function<void(int)>& whileRunning);

// A loopback address 127.A.B.C for this process, made from its pid and a
// per-process counter: never 127.0.0.1, and different for every call while
// the test processes' pids differ, so servers on a fixed port (6971) do not
// collide when tests run in parallel.
std::string DistinctLoopbackAddress();

class StatusServerProcess {
 public:
  // Starts `program` with `arguments` and waits up to 10 s for its line
  // "listening on ADDR:PORT". Its standard error goes to the test's.
  // Throws std::runtime_error when it cannot start, exits first, or does
  // not get ready in time (the child is then killed and reaped).
  StatusServerProcess(const std::string& program, const std::vector<std::string>& arguments);
  // Stops the server unless Stop() already did.
  ~StatusServerProcess();
  StatusServerProcess(const StatusServerProcess&) = delete;
  StatusServerProcess& operator=(const StatusServerProcess&) = delete;

  const std::string& AddressText() const { return m_addressText; }  // e.g. "127.0.0.1"
  std::uint32_t Address() const { return m_address; }               // network byte order
  std::uint16_t Port() const { return m_port; }                     // host byte order
  int Pid() const { return m_pid; }

  // The next line the server prints after the ready line (for example a
  // --log-requests line), without its newline; nullopt when none arrives
  // within timeoutMs or the output has ended. Read the lines you cause:
  // the pipe holds about 64 KiB before the server blocks on it.
  std::optional<std::string> ReadLine(int timeoutMs = 5000);

  // Waits up to limitMs for the server to end by itself (after a signal
  // the test sent, say) and reaps it. Returns its exit status, or nullopt
  // while it still runs.
  std::optional<ExitStatus> WaitForExit(int limitMs);

  // Sends SIGTERM and waits up to 10 s for the server to end (then kills
  // it). Returns its exit status; later calls return the same value.
  ExitStatus Stop();

 private:
  void KillAndReap();
  void ReleaseReader();  // Windows only

  int m_pid = -1;
  int m_outputFd = -1;
  void* m_process = nullptr;  // Windows: the process and the reader of its output
  void* m_reader = nullptr;
  void* m_host = nullptr;  // Windows: the host's server standing in (host_process_win32.h)
  std::string m_pending;   // read from the pipe, not yet returned as a line
  std::string m_addressText;
  std::uint32_t m_address = 0;
  std::uint16_t m_port = 0;
  std::optional<ExitStatus> m_exitStatus;
};

}  // namespace vqtest
