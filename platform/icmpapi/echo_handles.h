#pragma once
// Echo handles: opaque values (never 0, never all ones) naming the sockets
// that IcmpCreateFile opened.
#include <memory>

#include "platform/icmpapi/echo_socket.h"
#include "platform/kernel/windef.h"

namespace icmpapi {

HANDLE InsertEchoSocket(std::shared_ptr<EchoSocket> socket);
// Null when the handle is not a live echo handle.
std::shared_ptr<EchoSocket> FindEchoSocket(HANDLE handle);
// The socket stays open until its last user (an echo in progress) lets go.
bool RemoveEchoSocket(HANDLE handle);

}  // namespace icmpapi
