// The byte layout of the messages between the ICMP library and the echo
// helper, and the checks that keep the helper from sending what it must not.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/icmpapi/echo_helper_protocol.h"
#include "platform/icmpapi/icmpapi.h"
#include "tests/platform/icmpapi/echo_helper_fixture.h"

namespace {

using echo_helper_test::Ipv4;

namespace helper = icmpapi::helper;

helper::Request LoopbackRequest() {
  helper::Request request;
  request.destination = Ipv4("127.0.0.1");
  request.data = {'p', 'i', 'n', 'g'};
  request.timeoutMs = 5000;
  request.tag = 0x0102030405060708uLL;
  return request;
}

TEST(EchoHelperProtocol, RequestTravelsAsLittleEndianHeaderThenData) {
  const std::vector<std::uint8_t> bytes = helper::EncodeRequest(LoopbackRequest());
  const std::vector<std::uint8_t> expected = {'Q', 'E', 'H', 'Q', 2, 0, 4, 0, 127, 0, 0, 1, 0x88, 0x13, 0,   0,
                                              0,   0,   0,   0,   8, 7, 6, 5, 4,   3, 2, 1, 'p',  'i',  'n', 'g'};
  EXPECT_EQ(bytes, expected);

  const auto header = helper::DecodeRequestHeader(helper::Bytes(bytes.data(), helper::kRequestHeaderSize));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->dataSize, 4);
  EXPECT_EQ(header->fields.destination, Ipv4("127.0.0.1"));
  EXPECT_EQ(header->fields.timeoutMs, 5000u);
  EXPECT_EQ(header->fields.tag, 0x0102030405060708uLL);
}

TEST(EchoHelperProtocol, BrokenRequestFramingIsRefused) {
  const std::vector<std::uint8_t> good = helper::EncodeRequest(LoopbackRequest());
  auto headerWith = [&](std::size_t offset, std::uint8_t value) {
    std::vector<std::uint8_t> header(good.begin(), good.begin() + helper::kRequestHeaderSize);
    header[offset] = value;
    return header;
  };
  EXPECT_FALSE(helper::DecodeRequestHeader(headerWith(0, 'X'))) << "magic";
  EXPECT_FALSE(helper::DecodeRequestHeader(headerWith(4, 1))) << "version 1, one echo at a time";
  for (std::size_t reserved = 16; reserved < 20; ++reserved) {
    EXPECT_FALSE(helper::DecodeRequestHeader(headerWith(reserved, 1))) << "reserved byte " << reserved;
  }
  std::vector<std::uint8_t> oversize = headerWith(6, 0x01);  // 1025 bytes of data
  oversize[7] = 0x04;
  EXPECT_FALSE(helper::DecodeRequestHeader(oversize)) << "data length";
  EXPECT_FALSE(helper::DecodeRequestHeader(helper::Bytes(good.data(), helper::kRequestHeaderSize - 1))) << "short";

  std::vector<std::uint8_t> largest = headerWith(6, 0x00);  // exactly 1024 bytes
  largest[7] = 0x04;
  EXPECT_TRUE(helper::DecodeRequestHeader(largest));
}

TEST(EchoHelperProtocol, EncodingRefusesDataOverTheLimit) {
  helper::Request request = LoopbackRequest();
  request.data.assign(helper::kMaxDataSize + 1, 0xAB);
  EXPECT_TRUE(helper::EncodeRequest(request).empty());
  request.data.resize(helper::kMaxDataSize);
  EXPECT_EQ(helper::EncodeRequest(request).size(), helper::kRequestHeaderSize + helper::kMaxDataSize);
}

TEST(EchoHelperProtocol, ReplyHeaderMustMatchItsRecord) {
  std::vector<std::uint8_t> record(sizeof(ICMP_ECHO_REPLY) + 4, 0x5A);
  const std::vector<std::uint8_t> reply = helper::EncodeReply(helper::Reply{1, 0, record, 0xA1B2C3D4E5F60718uLL, 1234});
  ASSERT_EQ(reply.size(), helper::kReplyHeaderSize + record.size());
  const std::vector<std::uint8_t> tagAndRoundTrip = {0x18, 0x07, 0xF6, 0xE5, 0xD4, 0xC3, 0xB2, 0xA1,
                                                     0xD2, 0x04, 0,    0,    0,    0,    0,    0};
  EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 16, reply.begin() + 32), tagAndRoundTrip);
  const auto header = helper::DecodeReplyHeader(helper::Bytes(reply.data(), helper::kReplyHeaderSize));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->count, 1u);
  EXPECT_EQ(header->recordSize, record.size());
  EXPECT_EQ(header->tag, 0xA1B2C3D4E5F60718uLL);
  EXPECT_EQ(header->roundTripMicroseconds, 1234);

  auto decode = [](const helper::Reply& r) {
    const std::vector<std::uint8_t> bytes = helper::EncodeReply(r);
    return helper::DecodeReplyHeader(helper::Bytes(bytes.data(), helper::kReplyHeaderSize));
  };
  const auto failure = decode(helper::Reply{0, IP_REQ_TIMED_OUT, {}});
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->lastError, IP_REQ_TIMED_OUT);
  EXPECT_FALSE(decode(helper::Reply{0, IP_REQ_TIMED_OUT, record})) << "a failure carries no record";
  EXPECT_FALSE(decode(helper::Reply{1, 0, std::vector<std::uint8_t>(27), 1, 0})) << "shorter than one record";
  EXPECT_FALSE(decode(helper::Reply{2, 0, record, 1, 0})) << "one request, one reply";
  EXPECT_FALSE(decode(helper::Reply{1, 0, std::vector<std::uint8_t>(helper::kMaxRecordSize + 1), 1, 0}));
  EXPECT_FALSE(decode(helper::Reply{0, IP_REQ_TIMED_OUT, {}, 1, 0})) << "a failure has no round trip";
  EXPECT_FALSE(decode(helper::Reply{1, 0, record, 1, -1})) << "a reply has one";
  EXPECT_FALSE(decode(helper::Reply{1, 0, record, 1, std::int64_t{helper::kMaxTimeoutMs} * 1000 + 1}))
      << "longer than any echo may wait";
  std::vector<std::uint8_t> reserved = reply;
  reserved[15] = 1;
  EXPECT_FALSE(helper::DecodeReplyHeader(helper::Bytes(reserved.data(), helper::kReplyHeaderSize)));
}

TEST(EchoHelperProtocol, HelloCarriesTheSocketOutcome) {
  const auto refused = helper::EncodeHello(helper::Hello{EPERM});
  const auto hello = helper::DecodeHello(refused);
  ASSERT_TRUE(hello);
  EXPECT_EQ(hello->openErrno, EPERM);
  EXPECT_EQ(std::vector<std::uint8_t>(refused.begin(), refused.begin() + 4),
            (std::vector<std::uint8_t>{'Q', 'E', 'H', '2'}));
  auto versionOne = refused;
  versionOne[3] = 'H';  // a helper that takes one request at a time
  EXPECT_FALSE(helper::DecodeHello(versionOne));
}

TEST(EchoHelperProtocol, NoEchoGoesToNoAddressBroadcastOrMulticast) {
  for (const char* refused : {"0.0.0.0", "0.1.2.3", "224.0.0.1", "239.255.255.250", "240.0.0.1", "255.255.255.255"}) {
    helper::Request request = LoopbackRequest();
    request.destination = Ipv4(refused);
    EXPECT_EQ(helper::CheckRequest(request), IP_BAD_DESTINATION) << refused;
  }
  for (const char* allowed : {"127.0.0.1", "1.0.0.0", "223.255.255.254"}) {
    helper::Request request = LoopbackRequest();
    request.destination = Ipv4(allowed);
    EXPECT_EQ(helper::CheckRequest(request), static_cast<std::uint32_t>(ERROR_SUCCESS)) << allowed;
  }
}

TEST(EchoHelperProtocol, TimeOutIsBounded) {
  helper::Request request = LoopbackRequest();
  request.timeoutMs = helper::kMaxTimeoutMs;
  EXPECT_EQ(helper::CheckRequest(request), static_cast<std::uint32_t>(ERROR_SUCCESS));
  request.timeoutMs = helper::kMaxTimeoutMs + 1;
  EXPECT_EQ(helper::CheckRequest(request), static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
}

}  // namespace
