#pragma once
// A scripted echo responder for tests: in a namespace where the kernel does
// not answer echoes (net.ipv4.icmp_echo_ignore_all=1), it waits for one echo
// request carrying a known payload and answers with a list of replies, most
// of them subtly wrong, the way a confused network or another program's
// traffic would.
#include <cstdint>
#include <thread>
#include <vector>

namespace icmp_test {

enum class Reply {
  ForeignIdentifier,  // another program's ping reply: same sequence and data
  WrongSequence,
  WrongSource,  // sent from a second local address
  CorruptPayload,
  TruncatedPayload,
  BadChecksum,
  Correct,
};

class EchoResponder {
 public:
  // Opens its raw sockets in the calling thread's namespace; wrongSource
  // (network order) must be a local address there, such as 127.0.0.2.
  explicit EchoResponder(std::uint32_t wrongSource);
  ~EchoResponder();
  EchoResponder(const EchoResponder&) = delete;
  EchoResponder& operator=(const EchoResponder&) = delete;

  // Answers, on a thread, the first request that carries payload.
  void Start(std::vector<Reply> script, std::vector<std::uint8_t> payload);
  // Waits for the thread; the number of replies sent, -1 when no request came.
  int Finish();

 private:
  void Serve(const std::vector<Reply>& script, const std::vector<std::uint8_t>& payload);

  int m_listener;
  int m_wrongSourceSender;
  std::thread m_thread;
  int m_sent = -1;
};

}  // namespace icmp_test
