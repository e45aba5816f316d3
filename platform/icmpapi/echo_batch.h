#pragma once
// Many echoes at once from one thread: our own extension of the ICMP
// library for asking a great many servers together. One transport serves
// every echo (an ICMP socket, or the echo helper's pipe), so a thousand
// echoes cost one descriptor, and no echo waits for another.
//
//   OpenFailureInfo failure;
//   auto batch = EchoBatch::Open(failure);  // null: OpenFailureAdvice(failure)
//   for (i...) batch->Start(i, address[i], data, size, 5000);
//   while (batch->InFlight() > 0) for (const EchoOutcome& o : batch->Wait(1000)) ...;
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/icmpapi/echo_flights.h"
#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/handle_wait.h"

namespace icmpapi {

class EchoSocket;

struct EchoOutcome {
  std::size_t tag = 0;      // the caller's tag given to Start
  ULONG status = 0;         // IP_SUCCESS, IP_REQ_TIMED_OUT, IP_DEST_HOST_UNREACHABLE, ...
  IPAddr replyAddress = 0;  // replying host, or the router reporting an error; 0 when none answered
  ULONG roundTripMs = 0;    // whole milliseconds, as the reply record would carry
  // From the send to the kernel's receive time stamp of the answer (an echo
  // reply or an ICMP error); -1 when nothing answered.
  std::int64_t roundTripMicroseconds = -1;
  UCHAR ttl = 0;  // of the answer
};

class EchoBatch {
 public:
  // Opens the transport as IcmpCreateFile would: an unprivileged ICMP
  // socket, else a raw one, else the echo helper process. Null on failure,
  // with `failure` filled (for OpenFailureAdvice).
  static std::unique_ptr<EchoBatch> Open(OpenFailureInfo& failure);
  ~EchoBatch();
  EchoBatch(const EchoBatch&) = delete;
  EchoBatch& operator=(const EchoBatch&) = delete;

  // Starts one echo request now (payload bytes, time-out in ms); its
  // outcome comes from Wait. A request that cannot be sent at all (no
  // address, the broadcast address, missing data, a send failure) yields an
  // outcome with the failure status at once. Tags need not be unique.
  void Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs);

  // Waits at most timeoutMs (negative: without limit) until at least one
  // outcome is there, and returns every outcome there is. Returns at once
  // when nothing is in flight. Every started echo yields exactly one
  // outcome: its reply, an ICMP error, or IP_REQ_TIMED_OUT at its own
  // deadline. The blocking hook runs during the wait.
  std::vector<EchoOutcome> Wait(int timeoutMs);

  // For a caller that runs datagram exchanges on the same thread: waits as
  // Wait does, and ends early too when one of `sockets` (handles of the
  // sockets library, or other handles of the handle table such as a wake
  // event) has something to read. Those are left in `sockets`,
  // the others removed. With no echo in flight it waits on the sockets
  // alone. A cancelled wait (blocking_hook.h) ends at once.
  std::vector<EchoOutcome> WaitWithSockets(int timeoutMs, std::vector<kernel::WaitHandle>& sockets);

  // Echoes started whose outcome Wait has not yet returned.
  std::size_t InFlight() const;

 private:
  EchoBatch(std::shared_ptr<EchoSocket> socket, std::unique_ptr<EchoFlights> ownFlights);
  void TakeEnded();

  std::shared_ptr<EchoSocket> m_socket;
  std::unique_ptr<EchoFlights> m_ownFlights;  // over our own socket; null with the helper
  EchoFlights* m_flights;
  std::vector<EchoOutcome> m_ready;  // ended, not yet returned by Wait
};

}  // namespace icmpapi
