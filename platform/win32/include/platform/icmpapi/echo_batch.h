#pragma once
// Many echoes at once, over the system's ICMP library: each echo is an
// asynchronous IcmpSendEcho2, sent and completed (as an APC) on one echo
// thread of the batch; a wake socket tells the caller's select() that
// outcomes are there. So a thousand echoes wait side by side on one thread.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/handle_wait.h"

namespace icmpapi {

struct EchoOutcome {
  std::size_t tag = 0;      // the caller's tag given to Start
  ULONG status = 0;         // IP_SUCCESS, IP_REQ_TIMED_OUT, IP_DEST_HOST_UNREACHABLE, ...
  IPAddr replyAddress = 0;  // replying host, or the router reporting an error; 0 when none answered
  ULONG roundTripMs = 0;
  std::int64_t roundTripMicroseconds = -1;  // the milliseconds in microseconds; -1 when nothing answered
  UCHAR ttl = 0;
};

class EchoFlightsWin32;

class EchoBatch {
 public:
  // Null when the system gives no echo handle, with `failure` filled.
  static std::unique_ptr<EchoBatch> Open(OpenFailureInfo& failure);
  ~EchoBatch();
  EchoBatch(const EchoBatch&) = delete;
  EchoBatch& operator=(const EchoBatch&) = delete;

  // Starts one echo request now; its outcome comes from Wait. A request the
  // library refuses at once yields its outcome at once.
  void Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs);
  // Waits at most timeoutMs (negative: without limit) until at least one
  // outcome is there, and returns every outcome there is.
  std::vector<EchoOutcome> Wait(int timeoutMs);
  // As Wait, and ends early too when one of `sockets` has something to read;
  // those are left in `sockets`, the others removed.
  std::vector<EchoOutcome> WaitWithSockets(int timeoutMs, std::vector<kernel::WaitHandle>& sockets);
  std::size_t InFlight() const;

 private:
  explicit EchoBatch(std::shared_ptr<EchoFlightsWin32> flights);
  std::shared_ptr<EchoFlightsWin32> m_flights;  // shared with the echo thread
  std::size_t m_inFlight = 0;
};

}  // namespace icmpapi
