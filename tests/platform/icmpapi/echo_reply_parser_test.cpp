#include "platform/icmpapi/echo_reply_parser.h"

#include <gtest/gtest.h>
#include <linux/errqueue.h>
#include <netinet/in.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/icmpapi/echo_reply_record.h"
#include "platform/icmpapi/error_queue.h"
#include "tests/support/error_queue_message.h"

namespace {

using Packet = std::vector<std::uint8_t>;
using icmpapi::PacketVerdict;

constexpr std::uint16_t kId = 0x1234;
constexpr std::uint16_t kSeq = 7;

std::uint32_t Address(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  const std::uint8_t bytes[4] = {a, b, c, d};
  std::uint32_t value;
  std::memcpy(&value, bytes, 4);
  return value;
}

const std::uint32_t kTarget = Address(10, 1, 2, 3);
const std::uint32_t kRouter = Address(192, 0, 2, 2);
const std::uint32_t kUs = Address(192, 0, 2, 1);
const Packet kPayload = [] {
  const std::string text = "Echo payload, 31 bytes of text.";
  return Packet(text.begin(), text.end());
}();

void Put16(Packet& p, std::size_t at, std::uint16_t v) {
  p[at] = static_cast<std::uint8_t>(v >> 8);
  p[at + 1] = static_cast<std::uint8_t>(v);
}

Packet Icmp(std::uint8_t type, std::uint8_t code, std::uint16_t id, std::uint16_t seq, const Packet& body) {
  Packet packet(8);
  packet[0] = type;
  packet[1] = code;
  Put16(packet, 4, id);
  Put16(packet, 6, seq);
  packet.insert(packet.end(), body.begin(), body.end());
  Put16(packet, 2, icmpapi::InternetChecksum(packet));
  return packet;
}

Packet Ip(std::uint32_t source, std::uint32_t destination, std::uint8_t ttl, const Packet& body,
          std::uint8_t protocol = 1) {
  Packet packet(20);
  packet[0] = 0x45;
  packet[1] = 0x10;  // type of service
  Put16(packet, 2, static_cast<std::uint16_t>(20 + body.size()));
  packet[8] = ttl;
  packet[9] = protocol;
  std::memcpy(&packet[12], &source, 4);
  std::memcpy(&packet[16], &destination, 4);
  packet.insert(packet.end(), body.begin(), body.end());
  return packet;
}

// An ICMP error quoting our request's IP header and the first 8 ICMP bytes.
Packet ErrorAbout(std::uint8_t type, std::uint8_t code, std::uint32_t quotedDestination, std::uint16_t quotedId,
                  std::uint16_t quotedSeq, std::uint8_t quotedType = 8) {
  Packet quotedIcmp = Icmp(quotedType, 0, quotedId, quotedSeq, kPayload);
  Packet quoted = Ip(kUs, quotedDestination, 1, quotedIcmp);
  quoted.resize(20 + 8);  // routers quote at least the IP header and 8 bytes
  Packet body(quoted.begin(), quoted.end());
  Packet message = Icmp(type, code, 0, 0, body);  // identifier/sequence bytes are "unused" in errors
  return message;
}

icmpapi::EchoExpectation Expected() { return {kId, kSeq, kTarget, kPayload}; }

TEST(EchoReplyParser, RawReplyToOurRequestIsAcceptedWithItsDetails) {
  const Packet packet = Ip(kTarget, kUs, 57, Icmp(0, 0, kId, kSeq, kPayload));
  const icmpapi::PacketOutcome outcome = icmpapi::ParseRawPacket(packet, Expected());
  ASSERT_EQ(outcome.verdict, PacketVerdict::EchoReply);
  EXPECT_EQ(outcome.status, IP_SUCCESS);
  EXPECT_EQ(outcome.address, kTarget);
  EXPECT_EQ(outcome.ttl, 57);
  EXPECT_EQ(Packet(outcome.data.begin(), outcome.data.end()), kPayload);
}

TEST(EchoReplyParser, RawPacketsThatAreNotOurReplyAreSkipped) {
  Packet corrupt = kPayload;
  corrupt[3] ^= 0x20;
  Packet longer = kPayload;
  longer.push_back('!');
  Packet badChecksum = Icmp(0, 0, kId, kSeq, kPayload);
  badChecksum[2] ^= 0x01;
  Packet badVersion = Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, kPayload));
  badVersion[0] = 0x65;
  Packet headerLongerThanPacket = Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, kPayload));
  headerLongerThanPacket[0] = 0x4F;
  headerLongerThanPacket.resize(40);
  const Packet full = Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, kPayload));
  const std::vector<std::pair<const char*, Packet>> cases = {
      {"another program's reply", Ip(kTarget, kUs, 64, Icmp(0, 0, kId + 1, kSeq, kPayload))},
      {"wrong sequence", Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq + 1, kPayload))},
      {"wrong source", Ip(Address(10, 1, 2, 4), kUs, 64, Icmp(0, 0, kId, kSeq, kPayload))},
      {"corrupted payload", Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, corrupt))},
      {"truncated payload", Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, Packet(kPayload.begin(), kPayload.end() - 1)))},
      {"empty payload", Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, {}))},
      {"longer payload", Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, longer))},
      {"bad checksum", Ip(kTarget, kUs, 64, badChecksum)},
      {"reply with non-zero code", Ip(kTarget, kUs, 64, Icmp(0, 1, kId, kSeq, kPayload))},
      {"our own request seen on loopback", Ip(kUs, kTarget, 64, Icmp(8, 0, kId, kSeq, kPayload))},
      {"request from the target", Ip(kTarget, kUs, 64, Icmp(8, 0, kId, kSeq, kPayload))},
      {"not ICMP", Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, kPayload), 17)},
      {"not IPv4", badVersion},
      {"header longer than packet", headerLongerThanPacket},
      {"cut inside the ICMP header", Packet(full.begin(), full.begin() + 25)},
      {"cut inside the IP header", Packet(full.begin(), full.begin() + 19)},
      {"empty", {}},
  };
  for (const auto& [name, packet] : cases) {
    EXPECT_EQ(icmpapi::ParseRawPacket(packet, Expected()).verdict, PacketVerdict::NotOurs) << name;
  }
}

TEST(EchoReplyParser, RawPacketIsCutToItsIpTotalLength) {
  Packet padded = Ip(kTarget, kUs, 64, Icmp(0, 0, kId, kSeq, kPayload));
  padded.insert(padded.end(), {0, 0, 0, 0});  // link-layer padding after the datagram
  EXPECT_EQ(icmpapi::ParseRawPacket(padded, Expected()).verdict, PacketVerdict::EchoReply);
}

TEST(EchoReplyParser, DgramReplyIsMatchedLikeARawOne) {
  const icmpapi::PacketOutcome ours =
      icmpapi::ParseDgramPacket(Icmp(0, 0, kId, kSeq, kPayload), kTarget, 63, Expected());
  ASSERT_EQ(ours.verdict, PacketVerdict::EchoReply);
  EXPECT_EQ(ours.ttl, 63);
  EXPECT_EQ(ours.address, kTarget);
  EXPECT_EQ(ours.data.size(), kPayload.size());

  // The kernel passes these to an unprivileged socket; only the layer can tell.
  Packet corrupt = kPayload;
  corrupt.back() ^= 0xFF;
  const Packet truncated(kPayload.begin(), kPayload.begin() + 10);
  EXPECT_EQ(icmpapi::ParseDgramPacket(Icmp(0, 0, kId, kSeq + 1, kPayload), kTarget, 64, Expected()).verdict,
            PacketVerdict::NotOurs);
  EXPECT_EQ(icmpapi::ParseDgramPacket(Icmp(0, 0, kId, kSeq, kPayload), kRouter, 64, Expected()).verdict,
            PacketVerdict::NotOurs);
  EXPECT_EQ(icmpapi::ParseDgramPacket(Icmp(0, 0, kId, kSeq, corrupt), kTarget, 64, Expected()).verdict,
            PacketVerdict::NotOurs);
  EXPECT_EQ(icmpapi::ParseDgramPacket(Icmp(0, 0, kId, kSeq, truncated), kTarget, 64, Expected()).verdict,
            PacketVerdict::NotOurs);
  EXPECT_EQ(icmpapi::ParseDgramPacket(Packet{0, 0, 0}, kTarget, 64, Expected()).verdict, PacketVerdict::NotOurs);
}

TEST(EchoReplyParser, IcmpErrorsAboutOurRequestCarryStatusAndRouter) {
  struct Case {
    std::uint8_t type, code;
    IP_STATUS status;
  };
  const Case cases[] = {
      {3, 0, IP_DEST_NET_UNREACHABLE},   {3, 1, IP_DEST_HOST_UNREACHABLE}, {3, 2, IP_DEST_PROT_UNREACHABLE},
      {3, 3, IP_DEST_PORT_UNREACHABLE},  {3, 4, IP_PACKET_TOO_BIG},        {3, 5, IP_BAD_ROUTE},
      {3, 13, IP_DEST_HOST_UNREACHABLE}, {3, 9, IP_DEST_NET_UNREACHABLE},  {4, 0, IP_SOURCE_QUENCH},
      {11, 0, IP_TTL_EXPIRED_TRANSIT},   {11, 1, IP_TTL_EXPIRED_REASSEM},  {12, 0, IP_PARAM_PROBLEM},
  };
  for (const Case& c : cases) {
    const Packet packet = Ip(kRouter, kUs, 250, ErrorAbout(c.type, c.code, kTarget, kId, kSeq));
    const icmpapi::PacketOutcome outcome = icmpapi::ParseRawPacket(packet, Expected());
    EXPECT_EQ(outcome.verdict, PacketVerdict::IcmpError) << int(c.type) << "/" << int(c.code);
    EXPECT_EQ(outcome.status, c.status) << int(c.type) << "/" << int(c.code);
    EXPECT_EQ(outcome.address, kRouter);
    EXPECT_EQ(outcome.ttl, 250);
    EXPECT_TRUE(outcome.data.empty());
  }
}

TEST(EchoReplyParser, IcmpErrorsAboutOtherPacketsAreSkipped) {
  Packet badChecksum = ErrorAbout(3, 1, kTarget, kId, kSeq);
  badChecksum[2] ^= 0x40;
  Packet shortQuote = ErrorAbout(3, 1, kTarget, kId, kSeq);
  shortQuote.resize(8 + 20 + 6);
  const std::vector<std::pair<const char*, Packet>> cases = {
      {"another request's sequence", ErrorAbout(3, 1, kTarget, kId, kSeq + 1)},
      {"another program's identifier", ErrorAbout(3, 1, kTarget, kId ^ 1, kSeq)},
      {"another destination", ErrorAbout(3, 1, Address(10, 9, 9, 9), kId, kSeq)},
      {"quoting a reply, not a request", ErrorAbout(3, 1, kTarget, kId, kSeq, 0)},
      {"redirect", ErrorAbout(5, 1, kTarget, kId, kSeq)},
      {"unknown type", ErrorAbout(42, 0, kTarget, kId, kSeq)},
      {"bad checksum", badChecksum},
      {"quote cut short", shortQuote},
  };
  for (const auto& [name, message] : cases) {
    EXPECT_EQ(icmpapi::ParseRawPacket(Ip(kRouter, kUs, 64, message), Expected()).verdict, PacketVerdict::NotOurs)
        << name;
  }
}

TEST(EchoReplyParser, QueuedErrorsMatchOnOurRequestOnly) {
  const Packet ourRequest = Icmp(8, 0, kId, kSeq, kPayload);
  icmpapi::QueuedIcmpError error{11, 0, kRouter, kTarget, 61, ourRequest};
  const icmpapi::PacketOutcome outcome = icmpapi::ParseQueuedError(error, Expected());
  EXPECT_EQ(outcome.verdict, PacketVerdict::IcmpError);
  EXPECT_EQ(outcome.status, IP_TTL_EXPIRED_TRANSIT);
  EXPECT_EQ(outcome.address, kRouter);
  EXPECT_EQ(outcome.ttl, 61);

  const Packet olderRequest = Icmp(8, 0, kId, kSeq - 1, kPayload);
  EXPECT_EQ(icmpapi::ParseQueuedError({3, 1, kRouter, kTarget, 0, olderRequest}, Expected()).verdict,
            PacketVerdict::NotOurs);
  EXPECT_EQ(icmpapi::ParseQueuedError({3, 1, kRouter, kRouter, 0, ourRequest}, Expected()).verdict,
            PacketVerdict::NotOurs);
  EXPECT_EQ(icmpapi::ParseQueuedError({5, 0, kRouter, kTarget, 0, ourRequest}, Expected()).verdict,
            PacketVerdict::NotOurs);
  EXPECT_EQ(icmpapi::ParseQueuedError({3, 1, kRouter, kTarget, 0, icmpapi::Bytes(ourRequest).first(6)}, Expected())
                .verdict,
            PacketVerdict::NotOurs);
}

TEST(ErrorQueue, ExtendedErrorIsDecodedIntoTheQueuedError) {
  const Packet quoted = Icmp(8, 0, kId, kSeq, kPayload);
  const vqtest::ErrorQueueMessage icmpError(kTarget, kRouter, SO_EE_ORIGIN_ICMP, 62);
  const std::optional<icmpapi::QueuedIcmpError> error = icmpapi::QueuedErrorFromMessage(icmpError.message, quoted);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->type, 3);
  EXPECT_EQ(error->code, 1);
  EXPECT_EQ(error->offender, kRouter);
  EXPECT_EQ(error->originalDestination, kTarget);
  EXPECT_EQ(error->ttl, 62);
  EXPECT_EQ(icmpapi::ParseQueuedError(*error, Expected()).status, IP_DEST_HOST_UNREACHABLE);

  const vqtest::ErrorQueueMessage local(kTarget, kRouter, SO_EE_ORIGIN_LOCAL, std::nullopt);
  EXPECT_FALSE(icmpapi::QueuedErrorFromMessage(local.message, quoted).has_value());
  vqtest::ErrorQueueMessage noControl(kTarget, kRouter, SO_EE_ORIGIN_ICMP, std::nullopt);
  noControl.message.msg_controllen = 0;
  EXPECT_FALSE(icmpapi::QueuedErrorFromMessage(noControl.message, quoted).has_value());
}

TEST(EchoReplyRecord, StoresThe28ByteRecordFollowedByTheData) {
  icmpapi::PacketOutcome outcome;
  outcome.verdict = PacketVerdict::EchoReply;
  outcome.address = Address(192, 168, 1, 2);
  outcome.ttl = 64;
  outcome.data = kPayload;
  // One byte of offset: the record must not rely on the buffer's alignment.
  Packet buffer(1 + 28 + kPayload.size() + 4, 0xEE);
  ASSERT_TRUE(icmpapi::StoreEchoReply(outcome, 35, buffer.data() + 1, 28 + kPayload.size()));
  const std::uint8_t* record = buffer.data() + 1;
  EXPECT_EQ(Packet(record, record + 4), (Packet{192, 168, 1, 2}));  // address in network order
  DWORD status = 0;
  DWORD rtt = 0;
  DWORD dataOffset = 0;
  DWORD optionsData = 0;
  USHORT dataSize = 0;
  std::memcpy(&status, record + 4, 4);
  std::memcpy(&rtt, record + 8, 4);
  std::memcpy(&dataSize, record + 12, 2);
  std::memcpy(&dataOffset, record + 16, 4);
  std::memcpy(&optionsData, record + 24, 4);
  EXPECT_EQ(status, IP_SUCCESS);
  EXPECT_EQ(rtt, 35u);
  EXPECT_EQ(dataSize, kPayload.size());
  EXPECT_EQ(dataOffset, 28u);
  EXPECT_EQ(record[20], 64);                                       // Options.Ttl
  EXPECT_EQ(Packet(record + 21, record + 24), (Packet{0, 0, 0}));  // Tos, Flags, OptionsSize
  EXPECT_EQ(optionsData, 0u);
  EXPECT_EQ(Packet(record + 28, record + 28 + kPayload.size()), kPayload);
  EXPECT_EQ(buffer[0], 0xEE);
  EXPECT_EQ(buffer[1 + 28 + kPayload.size()], 0xEE);  // nothing written past the record and data

  Packet small(28 + kPayload.size() - 1, 0xEE);
  EXPECT_FALSE(icmpapi::StoreEchoReply(outcome, 35, small.data(), small.size()));
  EXPECT_EQ(small, Packet(small.size(), 0xEE));
}

// The key picks which of many echoes in flight a packet is checked against.
TEST(EchoReplyParser, KeyNamesTheRequestAReplyOrErrorConcerns) {
  const auto expectKey = [](std::optional<icmpapi::EchoKey> key, std::uint16_t id, std::uint16_t seq) {
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->identifier, id);
    EXPECT_EQ(key->sequence, seq);
  };
  const Packet reply = Icmp(0, 0, kId, kSeq, kPayload);
  expectKey(icmpapi::EchoKeyOfIcmpMessage(reply), kId, kSeq);
  expectKey(icmpapi::EchoKeyOfRawPacket(Ip(kTarget, kUs, 60, reply)), kId, kSeq);
  const Packet unreachable = ErrorAbout(3, 1, kTarget, kId, 9);
  expectKey(icmpapi::EchoKeyOfIcmpMessage(unreachable), kId, 9);
  expectKey(icmpapi::EchoKeyOfRawPacket(Ip(kRouter, kUs, 62, unreachable)), kId, 9);

  EXPECT_FALSE(icmpapi::EchoKeyOfIcmpMessage(Icmp(8, 0, kId, kSeq, kPayload))) << "a request answers nothing";
  EXPECT_FALSE(icmpapi::EchoKeyOfIcmpMessage(ErrorAbout(5, 1, kTarget, kId, kSeq))) << "a redirect ends no echo";
  EXPECT_FALSE(icmpapi::EchoKeyOfIcmpMessage(ErrorAbout(3, 1, kTarget, kId, kSeq, 0))) << "quoting a reply";
  EXPECT_FALSE(icmpapi::EchoKeyOfIcmpMessage(Packet(reply.begin(), reply.begin() + 7))) << "cut header";
  EXPECT_FALSE(icmpapi::EchoKeyOfRawPacket(Ip(kTarget, kUs, 60, reply, 17))) << "not ICMP";

  icmpapi::QueuedIcmpError queued;
  const Packet ours = Icmp(8, 0, kId, 11, kPayload);
  queued.quoted = ours;
  expectKey(icmpapi::EchoKeyOfQueuedError(queued), kId, 11);
  queued.quoted = icmpapi::Bytes(ours.data(), 7);
  EXPECT_FALSE(icmpapi::EchoKeyOfQueuedError(queued));
}

TEST(EchoReplyRecord, AnsweredEchoTravelsAsItsRecordAndComesBackTheSame) {
  icmpapi::EchoResult answer;
  answer.answered = true;
  answer.status = IP_TTL_EXPIRED_TRANSIT;
  answer.address = kRouter;
  answer.ttl = 63;
  answer.data = kPayload;
  answer.roundTripMicroseconds = 35999;
  const Packet record = icmpapi::EchoRecordBytes(answer);
  ASSERT_EQ(record.size(), 28 + kPayload.size());
  DWORD rtt;
  std::memcpy(&rtt, record.data() + 8, 4);
  EXPECT_EQ(rtt, 35u) << "whole milliseconds, cut not rounded";

  const std::optional<icmpapi::EchoResult> back = icmpapi::EchoResultFromRecord(record, 35999);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->status, answer.status);
  EXPECT_EQ(back->address, answer.address);
  EXPECT_EQ(back->ttl, answer.ttl);
  EXPECT_EQ(back->data, answer.data);
  EXPECT_EQ(back->roundTripMicroseconds, 35999);

  EXPECT_FALSE(icmpapi::EchoResultFromRecord(record, 36000)) << "milliseconds and microseconds disagree";
  EXPECT_FALSE(icmpapi::EchoResultFromRecord(icmpapi::Bytes(record.data(), record.size() - 1), 35999)) << "data cut";
  EXPECT_FALSE(icmpapi::EchoResultFromRecord(icmpapi::Bytes(record.data(), 27), 35999)) << "record cut";
}

TEST(EchoReplyParser, InternetChecksumFollowsTheStandardExample) {
  // The worked example of the Internet checksum: sum 0xDDF2, checksum 0x220D.
  EXPECT_EQ(icmpapi::InternetChecksum(Packet{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7}), 0x220D);
  EXPECT_EQ(icmpapi::InternetChecksum(Packet{0xAB}), static_cast<std::uint16_t>(~0xAB00));
}

}  // namespace
