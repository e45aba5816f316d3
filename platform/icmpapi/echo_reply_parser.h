#pragma once
// Classification of received ICMP packets against the echo requests we are
// waiting for. Pure functions over bytes: no sockets, no clock.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/icmpapi/icmpapi.h"

namespace icmpapi {

using Bytes = std::span<const std::uint8_t>;

// The request whose reply we wait for.
struct EchoExpectation {
  std::uint16_t identifier = 0;   // host order, as it went on the wire
  std::uint16_t sequence = 0;     // host order
  std::uint32_t destination = 0;  // network order
  Bytes payload;                  // the request data
};

enum class PacketVerdict {
  NotOurs,    // unrelated traffic, a damaged or mismatching packet: skip it
  EchoReply,  // the reply to our request
  IcmpError,  // an ICMP error message about our request
};

struct PacketOutcome {
  PacketVerdict verdict = PacketVerdict::NotOurs;
  std::uint32_t address = 0;  // network order: the replying host or the reporting router
  IP_STATUS status = IP_SUCCESS;
  std::uint8_t ttl = 0;
  Bytes data;  // echoed payload of a reply (views into the packet)
};

// A packet from a raw ICMP socket: IPv4 header followed by the ICMP message.
PacketOutcome ParseRawPacket(Bytes packet, const EchoExpectation& expected);

// A datagram from an unprivileged ICMP socket: the ICMP message alone, with
// the sender (network order) and time to live taken from the receive call
// and its control messages.
PacketOutcome ParseDgramPacket(Bytes icmpMessage, std::uint32_t source, std::uint8_t ttl,
                               const EchoExpectation& expected);

// What the kernel's error queue reports about a packet we sent.
struct QueuedIcmpError {
  std::uint8_t type = 0;
  std::uint8_t code = 0;
  std::uint32_t offender = 0;             // network order: who sent the ICMP error
  std::uint32_t originalDestination = 0;  // network order: where our packet was going
  std::uint8_t ttl = 0;                   // of the ICMP error packet, 0 when unknown
  Bytes quoted;                           // our packet from its ICMP header on
};

PacketOutcome ParseQueuedError(const QueuedIcmpError& error, const EchoExpectation& expected);

// Identifier and sequence (host order) of the echo request a packet may
// concern: an echo reply's own, or those of the request an ICMP error
// quotes. They pick the request whose expectation the packet is then
// checked against. Nullopt when the packet can concern no echo request.
struct EchoKey {
  std::uint16_t identifier = 0;
  std::uint16_t sequence = 0;
};
std::optional<EchoKey> EchoKeyOfRawPacket(Bytes packet);
std::optional<EchoKey> EchoKeyOfIcmpMessage(Bytes icmpMessage);
std::optional<EchoKey> EchoKeyOfQueuedError(const QueuedIcmpError& error);

// Echo status for an ICMP error message, or IP_SUCCESS when the message is
// not an error about delivery (a redirect, an echo, an unknown type).
IP_STATUS StatusForIcmpError(std::uint8_t type, std::uint8_t code);

// The Internet checksum (ones' complement sum) over the bytes.
std::uint16_t InternetChecksum(Bytes bytes);

}  // namespace icmpapi
