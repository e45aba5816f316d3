#pragma once
// The library's side of quillmar-echo-helper: starts the helper as a child
// process connected by a stream socket pair and keeps many echoes in flight
// through it. The pipe is written and read without blocking, so neither side
// can stall the other however many echoes are asked at once.
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/icmpapi/echo_exchange.h"
#include "platform/icmpapi/echo_flights.h"
#include "platform/icmpapi/icmp_diagnostics.h"

namespace icmpapi {

class EchoHelperProcess final : public EchoFlights {
 public:
  struct Launch {
    std::shared_ptr<EchoHelperProcess> process;  // null when none started
    HelperStart outcome = HelperStart::NotInstalled;
    int error = 0;     // errno for CouldNotRun and SocketRefused
    std::string path;  // the candidate the outcome is about
  };

  // Starts the first candidate that reports an open ICMP socket. Without
  // one, tells what went wrong with the first candidate, the one the
  // program means to use.
  static Launch Open(const std::vector<std::string>& candidates);

  // Closes the pipe, which ends the helper, and reaps it; a helper that
  // stopped answering is killed first.
  ~EchoHelperProcess() override;
  EchoHelperProcess(const EchoHelperProcess&) = delete;
  EchoHelperProcess& operator=(const EchoHelperProcess&) = delete;

  // Requests the helper does not take (data over 1024 bytes, a time-out
  // over 60 s) end at once with ERROR_INVALID_PARAMETER. A helper that dies, hangs or answers nonsense
  // ends every echo in flight, and every later one, with IP_GENERAL_FAILURE.
  void Start(EchoStart start) override;
  std::size_t InFlight() const override { return m_flights.size(); }
  pollfd PollRequest() const override;
  void Service(short revents) override;
  void ExpireDue(EchoClock::time_point now) override;
  EchoClock::time_point NextDeadline() const override;

  // One echo, waited for: the single IcmpSendEcho through the helper.
  EchoResult Exchange(const EchoRequest& request);

  pid_t pid() const { return m_pid; }

 private:
  struct Flight {
    std::uint64_t tag = 0;           // the caller's
    EchoClock::time_point deadline;  // the helper's answer is overdue after it
  };

  EchoHelperProcess(pid_t pid, int fd) : m_pid(pid), m_fd(fd) {}
  static std::pair<std::unique_ptr<EchoHelperProcess>, int> Spawn(const std::string& path);
  std::optional<int> ReadHello();
  bool ReceiveExactly(std::uint8_t* buffer, std::size_t size, int timeoutMs);
  void Flush();
  void Receive();
  bool TakeReplies();
  void Break();

  pid_t m_pid;
  int m_fd;
  bool m_broken = false;
  std::uint64_t m_nextWireTag = 1;
  std::unordered_map<std::uint64_t, Flight> m_flights;  // by the tag on the wire
  std::set<std::pair<EchoClock::time_point, std::uint64_t>> m_deadlines;
  std::vector<std::uint8_t> m_output;  // requests not yet written
  std::size_t m_outputDone = 0;
  std::vector<std::uint8_t> m_input;  // replies not yet complete
};

}  // namespace icmpapi
