#include "platform/icmpapi/echo_request_packet.h"

#include <algorithm>

namespace icmpapi {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::uint8_t kEchoRequest = 8;  // type; the code is 0
// Where the 16-bit fields of the header start; each is in network order.
constexpr std::size_t kChecksumAt = 2;
constexpr std::size_t kIdentifierAt = 4;
constexpr std::size_t kSequenceAt = 6;

void Put16(std::vector<std::uint8_t>& packet, std::size_t at, std::uint16_t value) {
  packet[at] = static_cast<std::uint8_t>(value >> 8);
  packet[at + 1] = static_cast<std::uint8_t>(value);
}

}  // namespace

std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, Bytes payload) {
  std::vector<std::uint8_t> packet(kHeaderSize + payload.size());
  packet[0] = kEchoRequest;
  Put16(packet, kIdentifierAt, identifier);
  Put16(packet, kSequenceAt, sequence);
  std::ranges::copy(payload, packet.begin() + kHeaderSize);
  Put16(packet, kChecksumAt, InternetChecksum(packet));
  return packet;
}

}  // namespace icmpapi
