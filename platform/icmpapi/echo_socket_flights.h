#pragma once
// Many echoes on one ICMP socket of this process: each gets its own
// sequence number, replies and ICMP errors are matched to the echo they
// answer by identifier, sequence, source and data, and the round trip runs
// from the send to the kernel's receive time stamp of the answer.
#include <sys/socket.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>
#include <memory>
#include <vector>

#include "platform/icmpapi/echo_flights.h"
#include "platform/icmpapi/echo_reply_parser.h"
#include "platform/icmpapi/echo_socket.h"

namespace icmpapi {

class SocketEchoFlights final : public EchoFlights {
 public:
  // The socket must outlive this object.
  explicit SocketEchoFlights(EchoSocket& socket);

  void Start(EchoStart start) override;
  std::size_t InFlight() const override { return m_flights.size() + m_unsent.size(); }
  pollfd PollRequest() const override;
  void Service(short revents) override;
  void ExpireDue(EchoClock::time_point now) override;
  EchoClock::time_point NextDeadline() const override;

 private:
  struct Flight {
    std::uint64_t tag = 0;
    std::uint32_t destination = 0;
    std::vector<std::uint8_t> payload;
    std::int64_t sentNs = 0;  // CLOCK_REALTIME, the clock of the kernel's time stamps
    std::int64_t timeoutUs = 0;
    EchoClock::time_point deadline;
  };
  // An echo that found the send buffer full; it goes out when there is room.
  struct Unsent {
    EchoStart start;
    EchoClock::time_point deadline;
  };
  enum class SendOutcome { Sent, NoRoom, Ended };

  SendOutcome Send(EchoStart& start, EchoClock::time_point deadline);
  void SendUnsent();
  std::optional<std::uint16_t> FreeSequence();
  void ReadQueue(int queueFlag);
  void Match(msghdr& message, Bytes bytes, bool fromErrorQueue);

  EchoSocket& m_socket;
  std::uint16_t m_identifier;
  bool m_identifierKnown;
  std::unordered_map<std::uint16_t, Flight> m_flights;  // by sequence
  std::set<std::pair<EchoClock::time_point, std::uint16_t>> m_deadlines;
  std::deque<Unsent> m_unsent;
  // Room for the largest packet, left uninitialised: the kernel writes only
  // what arrives, so only the pages a packet needs are touched.
  std::unique_ptr<std::uint8_t[]> m_buffer;
  alignas(8) std::uint8_t m_control[512];
};

}  // namespace icmpapi
