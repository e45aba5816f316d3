#include "platform/icmpapi/echo_flights.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include "platform/kernel/blocking_hook.h"

namespace icmpapi {
namespace {

constexpr auto kHookSpacing = std::chrono::milliseconds(kernel::kBlockingSliceMs);

// Rounded up, so that a wait never ends before its time has come.
int MillisecondsUntil(EchoClock::time_point when, EchoClock::time_point now) {
  if (when <= now) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
  return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

}  // namespace

bool WaitForEnded(EchoFlights& flights, EchoClock::time_point until, std::span<pollfd> others) {
  if (flights.HasEnded() && others.empty()) return true;
  std::vector<pollfd> fds(1 + others.size());
  EchoClock::time_point nextHook = EchoClock::now() + kHookSpacing;
  for (;;) {
    EchoClock::time_point now = EchoClock::now();
    const EchoClock::time_point wakeAt = flights.HasEnded() ? now : std::min({until, flights.NextDeadline(), nextHook});
    fds[0] = flights.PollRequest();
    std::copy(others.begin(), others.end(), fds.begin() + 1);
    const int ready = ::poll(fds.data(), fds.size(), MillisecondsUntil(wakeAt, now));
    if (ready < 0 && errno != EINTR) return false;
    // What arrived is read before deadlines are judged: a reply already
    // waiting when a deadline passes still counts.
    if (ready > 0 && fds[0].revents != 0) flights.Service(fds[0].revents);
    bool othersReady = false;
    for (std::size_t i = 0; i < others.size(); ++i) {
      others[i].revents = ready > 0 ? fds[i + 1].revents : short{0};
      othersReady = othersReady || others[i].revents != 0;
    }
    now = EchoClock::now();
    flights.ExpireDue(now);
    if (flights.HasEnded() || othersReady || now >= until) return true;
    // The hook is called by the clock, not by quiet slices, so a stream of
    // packets cannot starve it.
    if (now >= nextHook) {
      kernel::CallBlockingHook();
      if (kernel::TakeBlockingCallCancel()) {
        errno = EINTR;
        return false;
      }
      nextHook = EchoClock::now() + kHookSpacing;
    }
  }
}

}  // namespace icmpapi
