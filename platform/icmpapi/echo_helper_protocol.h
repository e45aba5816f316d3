#pragma once
// The messages between the ICMP library and quillmar-echo-helper, the small
// program that holds a raw ICMP socket for users who may not open one. They
// travel over a stream socket pair (a two-way pipe); all numbers are
// little-endian, addresses are the four bytes of the IPv4 address in
// network order.
//
// Version 2: many echoes at once. Every request carries a tag that its reply
// repeats; replies come in the order the echoes end, not the order asked.
//
// Hello, once, from the helper after it has opened its socket and dropped
// its capabilities (8 bytes):
//   0 u32 magic "QEH2"   4 u32 errno of the socket open, 0 when it opened
// Request, from the library (28 bytes, then the data):
//   0 u32 magic "QEHQ"   4 u16 version 2   6 u16 data length (<= 1024)
//   8 4 bytes destination   12 u32 timeout ms (<= 60000), counted from when
//      the helper reads the request: its wait for its turn is part of it
//   16 4 bytes reserved, 0   20 u64 tag
// Reply, from the helper (32 bytes, then the record):
//   0 u32 magic "QEHA"   4 u32 count (0 or 1)   8 u32 last error
//   12 u16 record length (0 when count is 0)   14 u16 reserved, 0
//   16 u64 tag of the request
//   24 i64 round trip in microseconds, from the kernel's receive time
//      stamp (-1 when count is 0)
//   32 the ICMP_ECHO_REPLY record and the echoed bytes, as IcmpSendEcho
//      stores them
// A request that breaks the framing (magic, version, length, reserved bytes)
// gets a reply with ERROR_INVALID_PARAMETER and tag 0, and the helper ends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace icmpapi::helper {

constexpr std::uint32_t kHelloMagic = 0x32484551;    // "QEH2": a helper of another version says something else
constexpr std::uint32_t kRequestMagic = 0x51484551;  // "QEHQ"
constexpr std::uint32_t kReplyMagic = 0x41484551;    // "QEHA"
constexpr std::uint16_t kVersion = 2;

constexpr std::size_t kHelloSize = 8;
constexpr std::size_t kRequestHeaderSize = 28;
constexpr std::size_t kReplyHeaderSize = 32;

constexpr std::size_t kMaxDataSize = 1024;
constexpr std::uint32_t kMaxTimeoutMs = 60000;
// Record and echoed data: the largest reply record a request can cause.
constexpr std::size_t kMaxRecordSize = 28 + kMaxDataSize;
// The helper sends echoes at most this often on average, however many are
// asked; after a pause it may send a short burst of at most kSendBurst.
constexpr int kMinSendSpacingMicroseconds = 100;
constexpr int kSendBurst = 16;

struct Hello {
  int openErrno = 0;
};

struct Request {
  std::uint32_t destination = 0;  // network order
  std::vector<std::uint8_t> data;
  std::uint32_t timeoutMs = 0;
  std::uint64_t tag = 0;
};

struct RequestHeader {
  std::uint16_t dataSize = 0;
  Request fields;  // everything but the data
};

struct Reply {
  std::uint32_t count = 0;
  std::uint32_t lastError = 0;
  std::vector<std::uint8_t> record;  // empty when count is 0
  std::uint64_t tag = 0;
  std::int64_t roundTripMicroseconds = -1;
};

struct ReplyHeader {
  std::uint32_t count = 0;
  std::uint32_t lastError = 0;
  std::uint16_t recordSize = 0;
  std::uint64_t tag = 0;
  std::int64_t roundTripMicroseconds = -1;
};

using Bytes = std::span<const std::uint8_t>;

std::array<std::uint8_t, kHelloSize> EncodeHello(const Hello& hello);
std::optional<Hello> DecodeHello(Bytes bytes);

// Encoding refuses data longer than kMaxDataSize (returns empty).
std::vector<std::uint8_t> EncodeRequest(const Request& request);
// Checks the framing only: magic, version, length and reserved bytes.
std::optional<RequestHeader> DecodeRequestHeader(Bytes header);

std::vector<std::uint8_t> EncodeReply(const Reply& reply);
// Checks the framing, that the record length fits the count and that the
// round trip is one an echo within the longest time-out can have.
std::optional<ReplyHeader> DecodeReplyHeader(Bytes header);

// The sense of a framed request: ERROR_SUCCESS, or the last error to answer
// with (IP_BAD_DESTINATION for addresses no echo may go to,
// ERROR_INVALID_PARAMETER for a time-out over the limit).
std::uint32_t CheckRequest(const Request& request);

// "This network" (0.0.0.0/8), multicast (224/4), reserved and the limited
// broadcast (240/4): no echo request is sent there.
bool IsRefusedDestination(std::uint32_t destination);

}  // namespace icmpapi::helper
