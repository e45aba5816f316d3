#pragma once
// The helper's one job: answer echo requests from its parent until the pipe
// closes.
#include "platform/icmp/echo_socket.h"

namespace echo_helper {

enum class ServeEnd {
  PipeClosed,     // the parent closed its end: a normal end
  BadFraming,     // a request that breaks the framing, answered and refused
  PipeBroken,     // the pipe failed or ended inside a message
};

// Reads requests from inFd and writes one reply for each to outFd.
ServeEnd ServeRequests(icmp::EchoSocket& socket, int inFd, int outFd);

}  // namespace echo_helper
