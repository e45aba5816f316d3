#include "platform/icmpapi/echo_request_packet.h"

#include <algorithm>

namespace icmpapi {

constexpr std::size_t kHeaderSize = 8;

std::vector<std::uint8_t> BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, Bytes payload) {
  std::vector<std::uint8_t> packet(kHeaderSize + payload.size());
  packet[0] = 8;  // echo request, code 0
  packet[4] = static_cast<std::uint8_t>(identifier >> 8);
  packet[5] = static_cast<std::uint8_t>(identifier);
  packet[6] = static_cast<std::uint8_t>(sequence >> 8);
  packet[7] = static_cast<std::uint8_t>(sequence);
  std::ranges::copy(payload, packet.begin() + kHeaderSize);
  const std::uint16_t checksum = InternetChecksum(packet);
  packet[2] = static_cast<std::uint8_t>(checksum >> 8);
  packet[3] = static_cast<std::uint8_t>(checksum);
  return packet;
}

}  // namespace icmpapi
