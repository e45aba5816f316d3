#include "platform/icmpapi/echo_helper_protocol.h"

#include <cstring>

#include "platform/icmpapi/icmpapi.h"

// The offsets and sizes below are those of the layouts drawn in
// echo_helper_protocol.h, each written beside the field it places.
// NOLINTBEGIN(readability-magic-numbers)
namespace icmpapi::helper {
namespace {

void PutU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t GetU16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

std::uint32_t GetU32(const std::uint8_t* at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

void PutU64(std::uint8_t* at, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t GetU64(const std::uint8_t* at) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

// The address keeps its network-order bytes on the wire and in memory.
void PutAddress(std::uint8_t* at, std::uint32_t networkOrder) { std::memcpy(at, &networkOrder, 4); }

std::uint32_t GetAddress(const std::uint8_t* at) {
  std::uint32_t networkOrder = 0;
  std::memcpy(&networkOrder, at, 4);
  return networkOrder;
}

}  // namespace

std::array<std::uint8_t, kHelloSize> EncodeHello(const Hello& hello) {
  std::array<std::uint8_t, kHelloSize> bytes{};
  PutU32(bytes.data(), kHelloMagic);
  PutU32(bytes.data() + 4, static_cast<std::uint32_t>(hello.openErrno));
  return bytes;
}

std::optional<Hello> DecodeHello(Bytes bytes) {
  if (bytes.size() != kHelloSize || GetU32(bytes.data()) != kHelloMagic) return std::nullopt;
  const std::uint32_t openErrno = GetU32(bytes.data() + 4);
  if (openErrno > 0xFFFF) return std::nullopt;  // no errno is that large
  return Hello{static_cast<int>(openErrno)};
}

std::vector<std::uint8_t> EncodeRequest(const Request& request) {
  if (request.data.size() > kMaxDataSize) return {};
  std::vector<std::uint8_t> bytes(kRequestHeaderSize + request.data.size(), 0);
  PutU32(bytes.data(), kRequestMagic);
  PutU16(bytes.data() + 4, kVersion);
  PutU16(bytes.data() + 6, static_cast<std::uint16_t>(request.data.size()));
  PutAddress(bytes.data() + 8, request.destination);
  PutU32(bytes.data() + 12, request.timeoutMs);
  PutU64(bytes.data() + 20, request.tag);
  if (!request.data.empty()) std::memcpy(bytes.data() + kRequestHeaderSize, request.data.data(), request.data.size());
  return bytes;
}

std::optional<RequestHeader> DecodeRequestHeader(Bytes header) {
  if (header.size() != kRequestHeaderSize) return std::nullopt;
  const std::uint8_t* at = header.data();
  if (GetU32(at) != kRequestMagic || GetU16(at + 4) != kVersion || GetU32(at + 16) != 0) return std::nullopt;
  RequestHeader decoded;
  decoded.dataSize = GetU16(at + 6);
  if (decoded.dataSize > kMaxDataSize) return std::nullopt;
  decoded.fields.destination = GetAddress(at + 8);
  decoded.fields.timeoutMs = GetU32(at + 12);
  decoded.fields.tag = GetU64(at + 20);
  return decoded;
}

std::vector<std::uint8_t> EncodeReply(const Reply& reply) {
  std::vector<std::uint8_t> bytes(kReplyHeaderSize + reply.record.size(), 0);
  PutU32(bytes.data(), kReplyMagic);
  PutU32(bytes.data() + 4, reply.count);
  PutU32(bytes.data() + 8, reply.lastError);
  PutU16(bytes.data() + 12, static_cast<std::uint16_t>(reply.record.size()));
  PutU64(bytes.data() + 16, reply.tag);
  PutU64(bytes.data() + 24, static_cast<std::uint64_t>(reply.roundTripMicroseconds));
  if (!reply.record.empty()) std::memcpy(bytes.data() + kReplyHeaderSize, reply.record.data(), reply.record.size());
  return bytes;
}

std::optional<ReplyHeader> DecodeReplyHeader(Bytes header) {
  if (header.size() != kReplyHeaderSize) return std::nullopt;
  const std::uint8_t* at = header.data();
  if (GetU32(at) != kReplyMagic || GetU16(at + 14) != 0) return std::nullopt;
  ReplyHeader decoded{GetU32(at + 4), GetU32(at + 8), GetU16(at + 12), GetU64(at + 16),
                      static_cast<std::int64_t>(GetU64(at + 24))};
  constexpr std::int64_t kLongestRoundTrip = std::int64_t{kMaxTimeoutMs} * 1000;
  const bool consistent = decoded.count == 0
                              ? decoded.recordSize == 0 && decoded.roundTripMicroseconds == -1
                              : decoded.count == 1 && decoded.recordSize >= sizeof(ICMP_ECHO_REPLY) &&
                                    decoded.recordSize <= kMaxRecordSize && decoded.roundTripMicroseconds >= 0 &&
                                    decoded.roundTripMicroseconds <= kLongestRoundTrip;
  if (!consistent) return std::nullopt;
  return decoded;
}

bool IsRefusedDestination(std::uint32_t destination) {
  const std::uint8_t firstOctet = reinterpret_cast<const std::uint8_t*>(&destination)[0];
  return firstOctet == 0 || firstOctet >= 224;
}

std::uint32_t CheckRequest(const Request& request) {
  if (IsRefusedDestination(request.destination)) return IP_BAD_DESTINATION;
  if (request.timeoutMs > kMaxTimeoutMs) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

}  // namespace icmpapi::helper
// NOLINTEND(readability-magic-numbers)
