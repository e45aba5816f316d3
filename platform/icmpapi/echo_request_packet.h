#pragma once
#include <cstdint>
#include <vector>

#include "platform/icmpapi/echo_reply_parser.h"

namespace icmpapi {

// An ICMP echo request (type 8) with the checksum filled in. The kernel
// rewrites identifier and checksum on an unprivileged socket.
std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, Bytes payload);

}  // namespace icmpapi
