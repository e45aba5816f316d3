#pragma once
// A scripted echo responder for tests: in a namespace where the kernel does
// not answer echoes (net.ipv4.icmp_echo_ignore_all=1), it waits for one echo
// request carrying a known payload and answers with a list of replies, most
// of them subtly wrong, the way a confused network or another program's
// traffic would.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace icmpapi_test {

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

  // Answers, on a thread, the first request that carries payload, after
  // the delay.
  void Start(std::vector<Reply> script, std::vector<std::uint8_t> payload,
             std::chrono::milliseconds delay = std::chrono::milliseconds(0));
  // Waits for the thread; the number of replies sent, -1 when no request came.
  int Finish();

 private:
  void Serve(const std::vector<Reply>& script, const std::vector<std::uint8_t>& payload,
             std::chrono::milliseconds delay);

  int m_listener;
  int m_wrongSourceSender;
  std::thread m_thread;
  int m_sent = -1;
};

// Sends echo replies that answer nobody's request (a foreign identifier)
// to an address, as fast as it can, until destroyed: the ICMP traffic of a
// busy host that every raw ICMP socket sees.
class ForeignIcmpFlood {
 public:
  // Opens its raw socket in the calling thread's namespace.
  explicit ForeignIcmpFlood(std::uint32_t destination);
  ~ForeignIcmpFlood();
  ForeignIcmpFlood(const ForeignIcmpFlood&) = delete;
  ForeignIcmpFlood& operator=(const ForeignIcmpFlood&) = delete;

  long sent() const { return m_sent.load(); }

 private:
  int m_fd;
  std::atomic<bool> m_stop{false};
  std::atomic<long> m_sent{0};
  std::thread m_thread;
};

}  // namespace icmpapi_test
