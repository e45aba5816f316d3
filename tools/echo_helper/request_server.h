#pragma once
// The helper's one job: keep echoes in flight for its parent until the pipe
// closes. One poll loop serves the pipe and the raw socket; replies go back
// in the order the echoes end, each with its request's tag.
#include "platform/icmpapi/echo_socket.h"

namespace echo_helper {

enum class ServeEnd {
  PipeClosed,  // the parent closed its end: a normal end
  BadFraming,  // a request that breaks the framing, answered and refused
  PipeBroken,  // the pipe failed or ended inside a message
};

// Reads requests from inFd and writes one reply for each to outFd; both are
// made non-blocking.
ServeEnd ServeRequests(icmpapi::EchoSocket& socket, int inFd, int outFd);

}  // namespace echo_helper
