#pragma once
// Stores an echo outcome in the caller's reply buffer: one ICMP_ECHO_REPLY
// record followed by the echoed data.
#include <cstddef>
#include <cstdint>

#include "platform/icmp/echo_reply_parser.h"

namespace icmp {

constexpr std::size_t kReplyRecordSize = sizeof(ICMP_ECHO_REPLY);

// Bytes of reply buffer that a reply carrying dataSize echoed bytes needs.
constexpr std::size_t ReplyBufferNeeded(std::size_t dataSize) { return kReplyRecordSize + dataSize; }

// Writes the record (Data is the offset 28, where the echoed bytes follow)
// and the data. Returns false and writes nothing when size is too small.
// The buffer needs no particular alignment.
bool StoreEchoReply(const PacketOutcome& outcome, std::uint32_t roundTripMs, void* buffer, std::size_t size);

}  // namespace icmp
