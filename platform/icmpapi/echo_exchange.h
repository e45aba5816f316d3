#pragma once
// One echo: send a request on an echo socket and wait for the packet that
// answers it.
#include <cstdint>

#include "platform/icmpapi/echo_flights.h"
#include "platform/icmpapi/echo_reply_parser.h"
#include "platform/icmpapi/echo_socket.h"

namespace icmpapi {

struct EchoRequest {
  std::uint32_t destination = 0;  // network order
  Bytes payload;
  std::uint32_t timeoutMs = 0;
};

// The request as one of many echoes in flight.
EchoStart ToEchoStart(const EchoRequest& request, std::uint64_t tag);

// Sends the request and waits for its answer (reply or ICMP error) or its
// time-out. Waits with the blocking hook called between slices. The caller
// holds the socket's exchange mutex.
EchoResult ExchangeEcho(EchoSocket& socket, const EchoRequest& request);

}  // namespace icmpapi
