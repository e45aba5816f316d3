#pragma once
// The echoes of a batch (echo_batch.h) go over the system's ICMP library:
// each echo is an asynchronous IcmpSendEcho2, sent and completed (as an
// APC) on one echo thread of the batch; a wake socket tells the caller's
// select() that outcomes are there. Open fails when the system gives no
// echo handle; Start fails at once for what the library refuses at once.
// The round trip is the library's, in whole milliseconds.

namespace icmpapi {

class EchoFlightsWin32;

}  // namespace icmpapi
