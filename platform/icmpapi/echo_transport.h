#pragma once
// Opens what echoes go through, as IcmpCreateFile does: an unprivileged ICMP
// socket, else a raw one, else the echo helper process, which has the
// capability for a raw socket.
#include <memory>

#include "platform/icmpapi/echo_socket.h"
#include "platform/icmpapi/icmp_diagnostics.h"

namespace icmpapi {

// Null on failure, with `failure` telling why; errno then holds the socket's
// own cause (also when the helper failed after it).
std::shared_ptr<EchoSocket> OpenEchoTransport(OpenFailureInfo& failure, ArrivalStamps stamps = ArrivalStamps::Kernel);

}  // namespace icmpapi
