#pragma once
// Decoding of one entry of a socket's error queue (IP_RECVERR), as returned by
// recvmsg with MSG_ERRQUEUE. Pure: it reads the message, it does no I/O.
#include <sys/socket.h>

#include <optional>

#include "platform/icmpapi/echo_reply_parser.h"

namespace icmpapi {

// The ICMP error described by the message's control data, the original
// destination in msg_name and our packet (from its ICMP header on) in
// `quoted`. Nullopt when the entry reports no ICMP error (a local error, or
// control data that is missing or cut short).
std::optional<QueuedIcmpError> QueuedErrorFromMessage(const msghdr& message, Bytes quoted);

}  // namespace icmpapi
