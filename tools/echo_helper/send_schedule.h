#pragma once
// When each echo the parent asks for is sent. The helper is no flood tool
// for users who may not open ICMP sockets: it sends ten echoes per
// millisecond at most (in bursts of a few after a pause), and to any one
// destination one per 200 ms, as ping(8) holds ordinary users to. A request over the limit waits for its
// turn instead of being refused; other destinations go past it.
//
// A request's time-out runs from when the helper read it, as its caller's
// wait does: a waiting echo is sent with what remains of it, and one whose
// time-out passes while it waits ends as timed out without being sent.
// Counting from the send instead would let a queued echo outlast the wait
// its caller was promised (and the parent's own deadline for the answer).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/icmpapi/echo_flights.h"
#include "platform/icmpapi/echo_helper_protocol.h"

namespace echo_helper {

constexpr std::chrono::microseconds kMinSendSpacing{icmpapi::helper::kMinSendSpacingMicroseconds};
constexpr std::chrono::milliseconds kMinDestinationSpacing{200};

class SendSchedule {
 public:
  using Clock = icmpapi::EchoClock;

  // Queues a checked request that was read at `now`.
  void Add(icmpapi::helper::Request request, Clock::time_point now);
  // Ends the wait of the requests whose time-out has passed by `now`: their
  // tags, in the order their time-outs passed. Call before TakeDue.
  std::vector<std::uint64_t> TakeExpired(Clock::time_point now);
  // The request whose turn has come by `now`, with its time-out cut by the
  // whole milliseconds it waited; nullopt when no turn has come.
  std::optional<icmpapi::helper::Request> TakeDue(Clock::time_point now);
  // When TakeDue or TakeExpired next has something; time_point::max() when
  // nothing waits.
  Clock::time_point NextWake() const;
  std::size_t size() const { return m_waitingCount; }

 private:
  struct Waiting {
    icmpapi::helper::Request request;
    Clock::time_point read;
    Clock::time_point giveUp;  // its time-out has passed
    std::uint64_t order = 0;   // place in the order requests came
  };
  struct Destination {
    std::deque<Waiting> queue;
    Clock::time_point nextTurn{};  // the earliest next send to it
  };
  // (when, order of the request, destination): the turn of a destination's
  // first waiting request, or the time-out of any waiting request.
  using Event = std::tuple<Clock::time_point, std::uint64_t, std::uint32_t>;

  static Event TurnOf(std::uint32_t destination, const Destination& entry);
  Waiting TakeOut(std::uint32_t destination, Destination& entry, std::size_t index, Clock::time_point now);
  void ForgetIdle(Clock::time_point now);

  std::unordered_map<std::uint32_t, Destination> m_destinations;
  std::set<Event> m_turns;    // one per destination with a request waiting
  std::set<Event> m_giveUps;  // one per waiting request
  // Destinations that may have fallen idle, with when their spacing ends;
  // in time order, so the map stays as small as the recent traffic.
  std::deque<std::pair<Clock::time_point, std::uint32_t>> m_idleChecks;
  Clock::time_point m_nextSend{};
  std::uint64_t m_nextOrder = 0;
  std::size_t m_waitingCount = 0;
};

}  // namespace echo_helper
