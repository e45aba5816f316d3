#include "platform/icmp/echo_flights.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/kernel/blocking_hook.h"

namespace icmp {
namespace {

constexpr auto kHookSpacing = std::chrono::milliseconds(kernel::kBlockingSliceMs);

// Rounded up, so that a wait never ends before its time has come.
int MillisecondsUntil(EchoClock::time_point when, EchoClock::time_point now) {
  if (when <= now) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
  return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

}  // namespace

bool WaitForEnded(EchoFlights& flights, EchoClock::time_point until) {
  if (flights.HasEnded()) return true;
  EchoClock::time_point nextHook = EchoClock::now() + kHookSpacing;
  for (;;) {
    EchoClock::time_point now = EchoClock::now();
    const EchoClock::time_point wakeAt = std::min({until, flights.NextDeadline(), nextHook});
    pollfd request = flights.PollRequest();
    const int ready = ::poll(&request, 1, MillisecondsUntil(wakeAt, now));
    if (ready < 0 && errno != EINTR) return false;
    // What arrived is read before deadlines are judged: a reply already
    // waiting when a deadline passes still counts.
    if (ready > 0) flights.Service(request.revents);
    now = EchoClock::now();
    flights.ExpireDue(now);
    if (flights.HasEnded() || now >= until) return true;
    // The hook is called by the clock, not by quiet slices, so a stream of
    // packets cannot starve it.
    if (now >= nextHook) {
      kernel::CallBlockingHook();
      nextHook = EchoClock::now() + kHookSpacing;
    }
  }
}

}  // namespace icmp
