#pragma once
// Stores an echo outcome in the caller's reply buffer: one ICMP_ECHO_REPLY
// record followed by the echoed data.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/icmpapi/echo_flights.h"
#include "platform/icmpapi/echo_reply_parser.h"

namespace icmpapi {

constexpr std::size_t kReplyRecordSize = sizeof(ICMP_ECHO_REPLY);

// Bytes of reply buffer that a reply carrying dataSize echoed bytes needs.
constexpr std::size_t ReplyBufferNeeded(std::size_t dataSize) { return kReplyRecordSize + dataSize; }

// Writes the record (Data is the offset 28, where the echoed bytes follow)
// and the data. Returns false and writes nothing when size is too small.
// The buffer needs no particular alignment.
bool StoreEchoReply(const PacketOutcome& outcome, std::uint32_t roundTripMs, void* buffer, std::size_t size);

// The same for an answered echo; its round trip goes into the record in
// whole milliseconds.
bool StoreEchoResult(const EchoResult& result, void* buffer, std::size_t size);

// An answered echo's record and data as bytes (what the echo helper sends).
std::vector<std::uint8_t> EchoRecordBytes(const EchoResult& result);

// Reads such bytes back into an answered echo. Nullopt unless the record
// describes exactly the bytes given and agrees with the round trip.
std::optional<EchoResult> EchoResultFromRecord(Bytes record, std::int64_t roundTripMicroseconds);

}  // namespace icmpapi
