#pragma once
// Opens what echoes go through, as IcmpCreateFile does: an unprivileged ICMP
// socket, else a raw one, else the echo helper process, which has the
// capability for a raw socket.
#include <memory>

#include "platform/icmp/echo_socket.h"
#include "platform/icmp/icmp_diagnostics.h"

namespace icmp {

// Null on failure, with `failure` telling why; errno then holds the socket's
// own cause (also when the helper failed after it).
std::shared_ptr<EchoSocket> OpenEchoTransport(OpenFailureInfo& failure);

}  // namespace icmp
