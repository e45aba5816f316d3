#include "platform/icmpapi/echo_reply_parser.h"

#include <algorithm>
#include <cstring>

namespace icmpapi {
namespace {

constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kProtocolIcmp = 1;
constexpr std::size_t kIcmpHeaderSize = 8;
constexpr std::size_t kMinIpHeaderSize = 20;
// Where the fields sit in an IPv4 header and in an ICMP echo header.
constexpr std::size_t kIpTtlAt = 8;
constexpr std::size_t kIpProtocolAt = 9;
constexpr std::size_t kIpSourceAt = 12;
constexpr std::size_t kIpDestinationAt = 16;
constexpr std::size_t kIcmpIdentifierAt = 4;
constexpr std::size_t kIcmpSequenceAt = 6;

std::uint16_t Read16(Bytes b, std::size_t at) { return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]); }

// Addresses stay in network order: the bytes are copied as they are.
std::uint32_t ReadAddress(Bytes b, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, b.data() + at, sizeof value);
  return value;
}

struct IpView {
  std::uint32_t source = 0;
  std::uint32_t destination = 0;
  std::uint8_t ttl = 0;
  Bytes body;  // what follows the header, cut to the header's total length
};

// False when the bytes are not an IPv4 header carrying ICMP. A quoted header
// inside an ICMP error may announce more bytes than were quoted, so the body
// is cut to what is there.
bool ParseIpHeader(Bytes packet, IpView& ip) {
  if (packet.size() < kMinIpHeaderSize || (packet[0] >> 4) != 4) return false;
  const std::size_t headerSize = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
  if (headerSize < kMinIpHeaderSize || headerSize > packet.size()) return false;
  if (packet[kIpProtocolAt] != kProtocolIcmp) return false;
  const std::size_t totalLength = Read16(packet, 2);
  if (totalLength < headerSize) return false;
  const std::size_t end = std::min(totalLength, packet.size());
  ip.ttl = packet[kIpTtlAt];
  ip.source = ReadAddress(packet, kIpSourceAt);
  ip.destination = ReadAddress(packet, kIpDestinationAt);
  ip.body = packet.subspan(headerSize, end - headerSize);
  return true;
}

// Does an ICMP header (ours as sent, quoted back) name our request?
bool IsOurRequestHeader(Bytes icmpHeader, const EchoExpectation& expected) {
  return icmpHeader.size() >= kIcmpHeaderSize && icmpHeader[0] == kEchoRequest &&
         Read16(icmpHeader, kIcmpIdentifierAt) == expected.identifier &&
         Read16(icmpHeader, kIcmpSequenceAt) == expected.sequence;
}

PacketOutcome MatchEchoReply(Bytes message, std::uint32_t source, const EchoExpectation& expected) {
  PacketOutcome outcome;
  if (message[1] != 0 || Read16(message, kIcmpIdentifierAt) != expected.identifier ||
      Read16(message, kIcmpSequenceAt) != expected.sequence || source != expected.destination) {
    return outcome;
  }
  const Bytes data = message.subspan(kIcmpHeaderSize);
  if (!std::ranges::equal(data, expected.payload)) return outcome;
  outcome.verdict = PacketVerdict::EchoReply;
  outcome.status = IP_SUCCESS;
  outcome.address = source;
  outcome.data = data;
  return outcome;
}

PacketOutcome MatchIcmpError(Bytes message, std::uint32_t source, const EchoExpectation& expected) {
  PacketOutcome outcome;
  const IP_STATUS status = StatusForIcmpError(message[0], message[1]);
  IpView quoted;
  if (status == IP_SUCCESS || !ParseIpHeader(message.subspan(kIcmpHeaderSize), quoted)) return outcome;
  if (quoted.destination != expected.destination || !IsOurRequestHeader(quoted.body, expected)) return outcome;
  outcome.verdict = PacketVerdict::IcmpError;
  outcome.status = status;
  outcome.address = source;
  return outcome;
}

EchoKey KeyAt(Bytes icmpHeader) {
  return EchoKey{Read16(icmpHeader, kIcmpIdentifierAt), Read16(icmpHeader, kIcmpSequenceAt)};
}

// Classifies one ICMP message whose checksum we still have to verify.
PacketOutcome ParseIcmpMessage(Bytes message, std::uint32_t source, const EchoExpectation& expected) {
  if (message.size() < kIcmpHeaderSize || InternetChecksum(message) != 0) return {};
  if (message[0] == kEchoReply) return MatchEchoReply(message, source, expected);
  return MatchIcmpError(message, source, expected);
}

}  // namespace

PacketOutcome ParseRawPacket(Bytes packet, const EchoExpectation& expected) {
  IpView ip;
  if (!ParseIpHeader(packet, ip)) return {};
  PacketOutcome outcome = ParseIcmpMessage(ip.body, ip.source, expected);
  if (outcome.verdict != PacketVerdict::NotOurs) {
    outcome.ttl = ip.ttl;
  }
  return outcome;
}

PacketOutcome ParseDgramPacket(Bytes icmpMessage, std::uint32_t source, std::uint8_t ttl,
                               const EchoExpectation& expected) {
  PacketOutcome outcome = ParseIcmpMessage(icmpMessage, source, expected);
  if (outcome.verdict != PacketVerdict::NotOurs) outcome.ttl = ttl;
  return outcome;
}

PacketOutcome ParseQueuedError(const QueuedIcmpError& error, const EchoExpectation& expected) {
  PacketOutcome outcome;
  const IP_STATUS status = StatusForIcmpError(error.type, error.code);
  if (status == IP_SUCCESS || error.originalDestination != expected.destination ||
      !IsOurRequestHeader(error.quoted, expected)) {
    return outcome;
  }
  outcome.verdict = PacketVerdict::IcmpError;
  outcome.status = status;
  outcome.address = error.offender;
  outcome.ttl = error.ttl;
  return outcome;
}

std::optional<EchoKey> EchoKeyOfIcmpMessage(Bytes icmpMessage) {
  if (icmpMessage.size() < kIcmpHeaderSize) return std::nullopt;
  if (icmpMessage[0] == kEchoReply) return KeyAt(icmpMessage);
  IpView quoted;
  if (StatusForIcmpError(icmpMessage[0], icmpMessage[1]) == IP_SUCCESS ||
      !ParseIpHeader(icmpMessage.subspan(kIcmpHeaderSize), quoted) || quoted.body.size() < kIcmpHeaderSize ||
      quoted.body[0] != kEchoRequest) {
    return std::nullopt;
  }
  return KeyAt(quoted.body);
}

std::optional<EchoKey> EchoKeyOfRawPacket(Bytes packet) {
  IpView ip;
  if (!ParseIpHeader(packet, ip)) return std::nullopt;
  return EchoKeyOfIcmpMessage(ip.body);
}

std::optional<EchoKey> EchoKeyOfQueuedError(const QueuedIcmpError& error) {
  if (error.quoted.size() < kIcmpHeaderSize || error.quoted[0] != kEchoRequest) return std::nullopt;
  return KeyAt(error.quoted);
}

// ICMP's error types and codes, each named where it is handled.
// NOLINTBEGIN(readability-magic-numbers)
IP_STATUS StatusForIcmpError(std::uint8_t type, std::uint8_t code) {
  switch (type) {
    case 3:  // destination unreachable
      switch (code) {
        case 0:   // network
        case 6:   // network unknown
        case 9:   // network administratively prohibited
        case 11:  // network unreachable for the type of service
          return IP_DEST_NET_UNREACHABLE;
        case 2: return IP_DEST_PROT_UNREACHABLE;
        case 3: return IP_DEST_PORT_UNREACHABLE;
        case 4: return IP_PACKET_TOO_BIG;          // fragmentation needed but forbidden
        case 5: return IP_BAD_ROUTE;               // source route failed
        default: return IP_DEST_HOST_UNREACHABLE;  // host-scoped codes, "prohibited" included
      }
    case 4: return IP_SOURCE_QUENCH;
    case 11: return code == 1 ? IP_TTL_EXPIRED_REASSEM : IP_TTL_EXPIRED_TRANSIT;
    case 12: return IP_PARAM_PROBLEM;
    default: return IP_SUCCESS;
  }
}
// NOLINTEND(readability-magic-numbers)

std::uint16_t InternetChecksum(Bytes bytes) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) sum += Read16(bytes, i);
  if (i < bytes.size()) sum += static_cast<std::uint32_t>(bytes[i]) << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

}  // namespace icmpapi
