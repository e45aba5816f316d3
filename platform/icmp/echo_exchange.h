#pragma once
// One echo: send a request on an echo socket and wait for the packet that
// answers it.
#include <cstdint>

#include "platform/icmp/echo_reply_parser.h"
#include "platform/icmp/echo_socket.h"

namespace icmp {

struct EchoRequest {
  std::uint32_t destination = 0;  // network order
  Bytes payload;
  const IP_OPTION_INFORMATION* options = nullptr;  // null: defaults
  std::uint32_t timeoutMs = 0;
};

// Sends the request and stores the answer (reply or ICMP error) in the reply
// buffer, which the caller has checked to be large enough. Returns the number
// of records stored, 1 or 0; on 0 the last error is set (IP_REQ_TIMED_OUT
// after the time-out). Waits in slices with the blocking hook between them.
// The caller holds the socket's exchange mutex.
std::uint32_t ExchangeEcho(EchoSocket& socket, const EchoRequest& request, void* replyBuffer,
                           std::uint32_t replySize);

}  // namespace icmp
