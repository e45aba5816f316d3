#pragma once
#include "platform/kernel/windef.h"

namespace kernel {

// select() waits on sockets alone, so the event is a datagram socket on
// loopback that sends to itself; the socket is the wait handle too.
struct WakeEventSource {
  SOCKET handle;
};

}  // namespace kernel
