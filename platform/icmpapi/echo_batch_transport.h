#pragma once
// One transport serves every echo of a batch (echo_batch.h): an ICMP
// socket, or the echo helper's pipe, so a thousand echoes cost one
// descriptor. Open tries what IcmpCreateFile would: an unprivileged ICMP
// socket, else a raw one, else the echo helper process.
//
// Start fails at once for no address, the broadcast address, missing data
// or a send failure. Every started echo yields exactly one outcome: its
// reply, an ICMP error, or IP_REQ_TIMED_OUT at its own deadline; its round
// trip runs from the send to the kernel's receive time stamp of the answer.
// Wait returns at once when nothing is in flight, and the blocking hook
// runs during it. WaitWithSockets takes handles of the sockets library or
// other handles of the handle table (a wake event); with no echo in flight
// it waits on them alone, and a cancelled wait (blocking_hook.h) ends at once.
#include "platform/icmpapi/echo_flights.h"

namespace icmpapi {

class EchoSocket;

}  // namespace icmpapi
