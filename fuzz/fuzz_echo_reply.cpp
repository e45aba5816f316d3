// ICMP reply parsing of both socket kinds, and storing the outcome as the
// reply record: raw packets in, record out.
//
// Input: one selector byte, two bytes (little-endian) of reply buffer size,
// then the packet. Selector bits 0-1 choose the parser:
//   0  a raw socket's IPv4 packet
//   1  a datagram socket's ICMP message
//   2  a queued error: type, code and time to live from the packet's first
//      three bytes, the rest as our quoted request
//   3  a datagram socket's error-queue entry: the packet is the control data
//      of the receive call, our request is the quoted packet
// For kinds 1 and 2, bit 2 makes the sender our target rather than a router.
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/icmpapi/echo_reply_parser.h"
#include "platform/icmpapi/echo_reply_record.h"
#include "platform/icmpapi/error_queue.h"

namespace {

// The request the parsers look for; the seed packets answer it.
constexpr std::uint16_t kIdentifier = 0x1234;
constexpr std::uint16_t kSequence = 7;
constexpr std::uint8_t kTarget[4] = {10, 1, 2, 3};
constexpr std::uint8_t kRouter[4] = {192, 0, 2, 2};
constexpr std::string_view kPayload = "Echo payload, 31 bytes of text.";
constexpr std::uint8_t kFill = 0xA5;
constexpr std::size_t kHeaderSize = 3;

std::uint32_t Address(const std::uint8_t (&bytes)[4]) {
  std::uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

icmpapi::Bytes PayloadBytes() { return {reinterpret_cast<const std::uint8_t*>(kPayload.data()), kPayload.size()}; }

// Our request as the error queue gives it back: the ICMP header and payload
// (its checksum does not matter here).
std::vector<std::uint8_t> OurRequest() {
  std::vector<std::uint8_t> request =
      {8, 0, 0, 0, kIdentifier >> 8, kIdentifier & 0xFF, kSequence >> 8, kSequence & 0xFF};
  request.insert(request.end(), kPayload.begin(), kPayload.end());
  return request;
}

// The control data is the packet, which lies in a heap block of exactly its
// size (aligned for any cmsghdr by operator new), so reading past it is caught.
icmpapi::PacketOutcome ParseErrorQueueEntry(icmpapi::Bytes control, const icmpapi::EchoExpectation& expected) {
  sockaddr_in destination{};
  destination.sin_family = AF_INET;
  destination.sin_addr.s_addr = expected.destination;
  msghdr message{};
  message.msg_name = &destination;
  message.msg_namelen = sizeof destination;
  message.msg_control = control.empty() ? nullptr : const_cast<std::uint8_t*>(control.data());
  message.msg_controllen = control.size();
  const std::vector<std::uint8_t> request = OurRequest();
  const std::optional<icmpapi::QueuedIcmpError> error = icmpapi::QueuedErrorFromMessage(message, request);
  if (!error) return {};
  FUZZ_CHECK(error->quoted.data() == request.data() && error->quoted.size() == request.size());
  return icmpapi::ParseQueuedError(*error, expected);
}

icmpapi::PacketOutcome Parse(std::uint8_t selector, icmpapi::Bytes packet) {
  const icmpapi::EchoExpectation expected{kIdentifier, kSequence, Address(kTarget), PayloadBytes()};
  const std::uint32_t sender = (selector & 4) != 0 ? Address(kTarget) : Address(kRouter);
  switch (selector & 3) {
    case 0: return icmpapi::ParseRawPacket(packet, expected);
    case 1: return icmpapi::ParseDgramPacket(packet, sender, 64, expected);
    case 3: return ParseErrorQueueEntry(packet, expected);
    default: {
      if (packet.size() < 3) return {};
      icmpapi::QueuedIcmpError error;
      error.type = packet[0];
      error.code = packet[1];
      error.ttl = packet[2];
      error.offender = sender;
      error.originalDestination = Address(kTarget);
      error.quoted = packet.subspan(3);
      return icmpapi::ParseQueuedError(error, expected);
    }
  }
}

void CheckOutcome(const icmpapi::PacketOutcome& outcome, icmpapi::Bytes packet) {
  switch (outcome.verdict) {
    case icmpapi::PacketVerdict::NotOurs: FUZZ_CHECK(outcome.data.empty()); break;
    case icmpapi::PacketVerdict::EchoReply:
      FUZZ_CHECK(outcome.status == IP_SUCCESS);
      FUZZ_CHECK(outcome.address == Address(kTarget));
      // The echoed data views the packet and is our payload.
      FUZZ_CHECK(outcome.data.data() >= packet.data());
      FUZZ_CHECK(outcome.data.data() + outcome.data.size() <= packet.data() + packet.size());
      FUZZ_CHECK(std::ranges::equal(outcome.data, PayloadBytes()));
      break;
    case icmpapi::PacketVerdict::IcmpError:
      FUZZ_CHECK(outcome.status != IP_SUCCESS);
      FUZZ_CHECK(outcome.data.empty());
      break;
  }
}

// The record goes into a heap block of exactly the given size, so any write
// past it is caught by the address sanitizer.
void CheckStoredRecord(const icmpapi::PacketOutcome& outcome, std::size_t bufferSize) {
  std::vector<std::uint8_t> buffer(bufferSize, kFill);
  const bool stored = icmpapi::StoreEchoReply(outcome, 42, buffer.data(), buffer.size());
  const std::size_t needed = icmpapi::kReplyRecordSize + outcome.data.size();
  FUZZ_CHECK(icmpapi::kReplyRecordSize == 28);
  FUZZ_CHECK(stored == (bufferSize >= needed));
  if (!stored) {
    FUZZ_CHECK(std::ranges::all_of(buffer, [](std::uint8_t b) { return b == kFill; }));
    return;
  }
  ICMP_ECHO_REPLY record;
  std::memcpy(&record, buffer.data(), sizeof record);
  FUZZ_CHECK(record.Address == outcome.address);
  FUZZ_CHECK(record.Status == outcome.status);
  FUZZ_CHECK(record.RoundTripTime == 42);
  FUZZ_CHECK(record.DataSize == outcome.data.size());
  FUZZ_CHECK(record.Data == 28);
  FUZZ_CHECK(record.Options.Ttl == outcome.ttl);
  FUZZ_CHECK(record.Options.Tos == 0);
  FUZZ_CHECK(std::equal(outcome.data.begin(), outcome.data.end(), buffer.begin() + 28));
  FUZZ_CHECK(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(needed), buffer.end(),
                         [](std::uint8_t b) { return b == kFill; }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderSize) return 0;
  const std::uint8_t selector = data[0];
  const std::size_t bufferSize = static_cast<std::size_t>(data[1] | (data[2] << 8));
  // The packet in a block of its own: a read past its end is caught too.
  const std::vector<std::uint8_t> packetCopy(data + kHeaderSize, data + size);
  const icmpapi::Bytes packet(packetCopy);

  const icmpapi::PacketOutcome outcome = Parse(selector, packet);
  CheckOutcome(outcome, packet);
  CheckStoredRecord(outcome, bufferSize);
  return 0;
}
