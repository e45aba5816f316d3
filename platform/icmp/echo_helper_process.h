#pragma once
// The library's side of quillmar-echo-helper: starts the helper as a child
// process connected by a stream socket pair, forwards echo requests to it
// and hands its replies back as IcmpSendEcho stores them.
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/icmp/echo_exchange.h"

namespace icmp {

class EchoHelperProcess {
 public:
  // Starts the first candidate that reports an open ICMP socket. Null when
  // none does.
  static std::shared_ptr<EchoHelperProcess> Start(const std::vector<std::string>& candidates);

  // Closes the pipe, which ends the helper, and reaps it; a helper that
  // stopped answering is killed first.
  ~EchoHelperProcess();
  EchoHelperProcess(const EchoHelperProcess&) = delete;
  EchoHelperProcess& operator=(const EchoHelperProcess&) = delete;

  // Same contract as ExchangeEcho. Requests the helper does not take (raw IP
  // options, data over 1024 bytes, a time-out over 60 s) fail here with
  // IP_BAD_OPTION or ERROR_INVALID_PARAMETER. A helper that dies or answers
  // nonsense leaves the handle failing with IP_GENERAL_FAILURE.
  std::uint32_t Exchange(const EchoRequest& request, void* replyBuffer, std::uint32_t replySize);

  pid_t pid() const { return m_pid; }

 private:
  EchoHelperProcess(pid_t pid, int fd) : m_pid(pid), m_fd(fd) {}
  static std::unique_ptr<EchoHelperProcess> Spawn(const std::string& path);
  bool ReadHello();
  bool Send(const std::vector<std::uint8_t>& bytes);
  bool ReceiveExactly(std::uint8_t* buffer, std::size_t size, int timeoutMs);
  std::uint32_t Fail(std::uint32_t lastError);

  pid_t m_pid;
  int m_fd;
  bool m_broken = false;
};

}  // namespace icmp
