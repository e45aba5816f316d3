#pragma once
// Many echoes at once from one thread: our own extension of the ICMP
// library for asking a great many servers together, so that a thousand
// echoes wait side by side and no echo waits for another. How the echoes
// travel is the system's part (echo_batch_transport.h).
//
//   OpenFailureInfo failure;
//   auto batch = EchoBatch::Open(failure);  // null: OpenFailureAdvice(failure)
//   for (i...) batch->Start(i, address[i], data, size, 5000);
//   while (batch->InFlight() > 0) for (const EchoOutcome& o : batch->Wait(1000)) ...;
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/icmpapi/echo_batch_transport.h"
#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/handle_wait.h"

namespace icmpapi {

struct EchoOutcome {
  std::size_t tag = 0;      // the caller's tag given to Start
  ULONG status = 0;         // IP_SUCCESS, IP_REQ_TIMED_OUT, IP_DEST_HOST_UNREACHABLE, ...
  IPAddr replyAddress = 0;  // replying host, or the router reporting an error; 0 when none answered
  ULONG roundTripMs = 0;    // whole milliseconds, as the reply record would carry
  // The round trip as finely as the system measures it; -1 when nothing answered.
  std::int64_t roundTripMicroseconds = -1;
  UCHAR ttl = 0;  // of the answer
};

class EchoBatch {
 public:
  // Opens the transport. Null on failure, with `failure` filled (for
  // OpenFailureAdvice).
  static std::unique_ptr<EchoBatch> Open(OpenFailureInfo& failure);
  ~EchoBatch();
  EchoBatch(const EchoBatch&) = delete;
  EchoBatch& operator=(const EchoBatch&) = delete;

  // Starts one echo request now (payload bytes, time-out in ms); its
  // outcome comes from Wait. A request that cannot be sent at all yields an
  // outcome with the failure status at once. Tags need not be unique.
  void Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs);

  // Waits at most timeoutMs (negative: without limit) until at least one
  // outcome is there, and returns every outcome there is.
  std::vector<EchoOutcome> Wait(int timeoutMs);

  // For a caller that runs datagram exchanges on the same thread: waits as
  // Wait does, and ends early too when one of `sockets` has something to
  // read. Those are left in `sockets`, the others removed.
  std::vector<EchoOutcome> WaitWithSockets(int timeoutMs, std::vector<kernel::WaitHandle>& sockets);

  // Echoes started whose outcome Wait has not yet returned.
  std::size_t InFlight() const;

  // The system's members, each section with its own access.
#include "platform/icmpapi/echo_batch_members.h"  // IWYU pragma: keep
};

}  // namespace icmpapi
