#pragma once
// Many echoes in flight at once over one transport (an ICMP socket, or the
// echo helper's pipe), all serviced from one thread: start echoes, let the
// transport read and write what is ready, collect how each echo ended.
// Every started echo ends exactly once: with a reply, an ICMP error about
// it, a failure to send, or a time-out at its own deadline.
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace icmpapi {

using EchoClock = std::chrono::steady_clock;

struct EchoStart {
  std::uint64_t tag = 0;          // the caller's, repeated in the result
  std::uint32_t destination = 0;  // network order
  std::vector<std::uint8_t> payload;
  std::uint32_t timeoutMs = 0;
};

struct EchoResult {
  std::uint64_t tag = 0;
  // A reply or an ICMP error about the request came back; status, address,
  // ttl, data and the round trip describe it.
  bool answered = false;
  // IP_SUCCESS or the ICMP error's status when answered; otherwise why the
  // echo failed (IP_REQ_TIMED_OUT, a send failure, a system error).
  std::uint32_t status = 0;
  std::uint32_t address = 0;  // network order: the replying host or reporting router
  std::uint8_t ttl = 0;
  std::vector<std::uint8_t> data;  // the echoed data of a reply
  // From the send to the kernel's receive time stamp of the answer; -1
  // without an answer.
  std::int64_t roundTripMicroseconds = -1;
};

// "No address" and the limited broadcast: never sent onto a network.
constexpr bool IsNeverSentDestination(std::uint32_t destination) {
  constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;
  return destination == 0 || destination == kLimitedBroadcast;
}

// Whole milliseconds of a round trip, as the reply record carries them.
constexpr std::uint32_t WholeMilliseconds(std::int64_t microseconds) {
  return microseconds < 0 ? 0 : static_cast<std::uint32_t>(microseconds / 1000);
}

class EchoFlights {
 public:
  virtual ~EchoFlights() = default;

  // Starts one echo now. One that cannot be sent at all ends at once with
  // its failure status.
  virtual void Start(EchoStart start) = 0;
  // Echoes started and not yet ended.
  virtual std::size_t InFlight() const = 0;
  // The descriptor to poll and the events that matter to it.
  virtual pollfd PollRequest() const = 0;
  // Reads and writes what is ready, without blocking. Reads are bounded per
  // call, so a flood of packets cannot hold the caller.
  virtual void Service(short revents) = 0;
  // Ends the echoes whose deadline has come.
  virtual void ExpireDue(EchoClock::time_point now) = 0;
  // The earliest deadline of an echo in flight; time_point::max() when none.
  virtual EchoClock::time_point NextDeadline() const = 0;

  bool HasEnded() const { return !m_ended.empty(); }
  std::vector<EchoResult> TakeEnded() { return std::exchange(m_ended, {}); }

 protected:
  void End(EchoResult result) { m_ended.push_back(std::move(result)); }
  // Ends an echo without an answer: status says why.
  void EndWithFailure(std::uint64_t tag, std::uint32_t status) {
    EchoResult result;
    result.tag = tag;
    result.status = status;
    End(std::move(result));
  }

 private:
  std::vector<EchoResult> m_ended;
};

// Services the flights until at least one echo has ended, one of `others`
// is ready (its revents are set; every one's is rewritten) or `until` has
// come. The blocking hook runs every kernel::kBlockingSliceMs of the wait
// however busy the descriptors are. False when poll failed, or the wait was
// cancelled (errno tells why: EINTR for a cancel).
bool WaitForEnded(EchoFlights& flights, EchoClock::time_point until, std::span<pollfd> others = {});

}  // namespace icmpapi
