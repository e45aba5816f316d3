// quillmar-echo-helper as its own process, run by the user nobody in a
// private network namespace where unprivileged ICMP sockets are refused and
// the helper has cap_net_raw: it drops every capability, echoes, and refuses
// what it must not send.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "platform/icmpapi/echo_helper_protocol.h"
#include "platform/icmpapi/icmpapi.h"
#include "tests/platform/icmpapi/echo_helper_fixture.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_veth.h"

namespace {

using echo_helper_test::Ipv4;

namespace helper = icmpapi::helper;
using echo_helper_test::HelperLine;

std::vector<std::uint8_t> RequestTo(const char* destination, std::uint32_t timeoutMs = 2000, std::uint64_t tag = 0) {
  helper::Request request;
  request.destination = Ipv4(destination);
  request.data = {'Q', 'u', 'i', 'l', 'l', 'm', 'a', 'r'};
  request.timeoutMs = timeoutMs;
  request.tag = tag;
  return helper::EncodeRequest(request);
}

using EchoHelperProcessTest = echo_helper_test::CapableHelperTest;

TEST_F(EchoHelperProcessTest, HoldsNoCapabilityOnceItSaysHello) {
  RunAsOrdinaryUser([&] {
    HelperLine line(helperPath());
    const auto hello = line.ReadHello();
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->openErrno, 0) << "the raw socket did not open with the file capability";
    const echo_helper_test::CapabilitySets caps = echo_helper_test::CapabilitiesOf(line.pid());
    EXPECT_EQ(caps.effective, 0u);
    EXPECT_EQ(caps.permitted, 0u);
    EXPECT_EQ(line.CloseAndWait(), 0);
  });
}

TEST_F(EchoHelperProcessTest, StartedByRootItStillDropsEverything) {
  const std::string path = helperPath();
  VQ_RUN_IN_CHILD([&] {
    echo_helper_test::NamespaceWithoutPingGroup().EnterPermanently();
    HelperLine line(path);
    ASSERT_TRUE(line.ReadHello());
    const echo_helper_test::CapabilitySets caps = echo_helper_test::CapabilitiesOf(line.pid());
    EXPECT_EQ(caps.effective, 0u);
    EXPECT_EQ(caps.permitted, 0u);
  });
}

TEST_F(EchoHelperProcessTest, EchoesLoopbackAndRefusesForbiddenRequests) {
  RunAsOrdinaryUser([&] {
    HelperLine line(helperPath());
    ASSERT_TRUE(line.ReadHello());
    for (const char* refused : {"0.0.0.0", "224.0.0.1", "255.255.255.255", "240.1.2.3"}) {
      const auto reply = line.Ask(RequestTo(refused));
      ASSERT_TRUE(reply) << refused;
      EXPECT_EQ(reply->count, 0u) << refused;
      EXPECT_EQ(reply->lastError, IP_BAD_DESTINATION) << refused;
    }
    const auto tooLong = line.Ask(RequestTo("127.0.0.1", helper::kMaxTimeoutMs + 1));
    ASSERT_TRUE(tooLong);
    EXPECT_EQ(tooLong->lastError, static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));

    // Refusals do not end the service: a proper request still gets its echo.
    const auto echo = line.Ask(RequestTo("127.0.0.1"));
    ASSERT_TRUE(echo);
    ASSERT_EQ(echo->count, 1u) << "last error " << echo->lastError;
    ICMP_ECHO_REPLY record{};
    ASSERT_EQ(echo->record.size(), sizeof record + 8);
    std::memcpy(&record, echo->record.data(), sizeof record);
    EXPECT_EQ(record.Status, IP_SUCCESS);
    EXPECT_EQ(record.Address, Ipv4("127.0.0.1"));
    EXPECT_EQ(record.DataSize, 8);
    EXPECT_EQ(std::memcmp(echo->record.data() + sizeof record, "Quillmar", 8), 0);
    EXPECT_EQ(line.CloseAndWait(), 0) << "the helper ends normally when the pipe closes";
  });
}

// Requests written all at once are all in flight together; each reply
// carries its request's tag, and a silent host does not hold up the others.
TEST_F(EchoHelperProcessTest, ManyRequestsInFlightAreAnsweredByTagAsTheyEnd) {
  RunAsOrdinaryUser(
      [&] {
        HelperLine line(helperPath());
        ASSERT_TRUE(line.ReadHello());
        std::vector<std::uint8_t> requests = RequestTo("198.51.100.9", 1500, 1000);  // silent: ends last
        const std::vector<std::uint8_t> refused = RequestTo("240.0.0.1", 1000, 1001);
        requests.insert(requests.end(), refused.begin(), refused.end());
        for (std::uint64_t tag = 1; tag <= 50; ++tag) {
          const std::vector<std::uint8_t> one = RequestTo(("127.0.0." + std::to_string(tag)).c_str(), 2000, tag);
          requests.insert(requests.end(), one.begin(), one.end());
        }
        ASSERT_TRUE(line.Send(requests));
        std::vector<std::uint64_t> order;
        for (int i = 0; i < 52; ++i) {
          const auto reply = line.ReadReply();
          ASSERT_TRUE(reply) << "after " << i << " replies";
          order.push_back(reply->tag);
          if (reply->tag == 1000) {
            EXPECT_EQ(reply->lastError, IP_REQ_TIMED_OUT);
            EXPECT_EQ(reply->roundTripMicroseconds, -1);
          } else if (reply->tag == 1001) {
            EXPECT_EQ(reply->lastError, IP_BAD_DESTINATION) << "refused at once, without an echo";
          } else {
            ASSERT_EQ(reply->count, 1u) << "tag " << reply->tag << ": last error " << reply->lastError;
            ICMP_ECHO_REPLY record{};
            std::memcpy(&record, reply->record.data(), sizeof record);
            EXPECT_EQ(record.Address, Ipv4(("127.0.0." + std::to_string(reply->tag)).c_str()));
            EXPECT_GE(reply->roundTripMicroseconds, 0);
            EXPECT_EQ(record.RoundTripTime, static_cast<ULONG>(reply->roundTripMicroseconds / 1000));
          }
        }
        EXPECT_EQ(order.back(), 1000u) << "the silent host's time-out ends last";
        std::sort(order.begin(), order.end());
        EXPECT_EQ(std::adjacent_find(order.begin(), order.end()), order.end()) << "a request answered twice";
        EXPECT_EQ(line.CloseAndWait(), 0);
      },
      {.silentHosts = true});
}

// Each to an address of its own, so that only the pace over all
// destinations holds them (one address has a slower pace of its own).
TEST_F(EchoHelperProcessTest, SendsAreSpacedHoweverFastTheyAreAsked) {
  RunAsOrdinaryUser([&] {
    HelperLine line(helperPath());
    ASSERT_TRUE(line.ReadHello());
    constexpr int kRequests = 200;
    std::vector<std::uint8_t> requests;
    for (int i = 0; i < kRequests; ++i) {
      const std::string destination = "127.0." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1);
      const std::vector<std::uint8_t> one = RequestTo(destination.c_str(), 2000, static_cast<std::uint64_t>(i));
      requests.insert(requests.end(), one.begin(), one.end());
    }
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(line.Send(requests));
    for (int i = 0; i < kRequests; ++i) ASSERT_TRUE(line.ReadReply());
    const auto spent = std::chrono::steady_clock::now() - start;
    // Beyond the first burst, one send per spacing at most.
    EXPECT_GE(spent,
              std::chrono::microseconds((kRequests - 1 - helper::kSendBurst) * helper::kMinSendSpacingMicroseconds));
  });
}

TEST_F(EchoHelperProcessTest, SilentHostTimesOutThroughTheHelper) {
  RunAsOrdinaryUser(
      [&] {
        HelperLine line(helperPath());
        ASSERT_TRUE(line.ReadHello());
        const auto reply = line.Ask(RequestTo("127.0.0.1", 300));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->count, 0u);
        EXPECT_EQ(reply->lastError, IP_REQ_TIMED_OUT);
      },
      {.echoesIgnored = true});
}

TEST_F(EchoHelperProcessTest, BrokenFramingIsAnsweredAndEndsTheHelper) {
  RunAsOrdinaryUser([&] {
    const std::vector<std::uint8_t> good = RequestTo("127.0.0.1");
    struct Damage {
      const char* what;
      std::size_t offset;
      std::uint8_t value;
    };
    for (const Damage& damage : {Damage{"magic", 0, 'X'}, Damage{"version", 4, 9}, Damage{"length over 1024", 7, 0x05},
                                 Damage{"reserved byte", 16, 64}, Damage{"reserved byte", 19, 1}}) {
      std::vector<std::uint8_t> request = good;
      request[damage.offset] = damage.value;
      HelperLine line(helperPath());
      ASSERT_TRUE(line.ReadHello());
      const auto reply = line.Ask(request);
      ASSERT_TRUE(reply) << damage.what;
      EXPECT_EQ(reply->count, 0u) << damage.what;
      EXPECT_EQ(reply->lastError, static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER)) << damage.what;
      EXPECT_EQ(line.CloseAndWait(), 2) << damage.what;
    }
  });
}

TEST_F(EchoHelperProcessTest, PipeClosedInsideARequestEndsTheHelper) {
  RunAsOrdinaryUser([&] {
    HelperLine line(helperPath());
    ASSERT_TRUE(line.ReadHello());
    std::vector<std::uint8_t> half = RequestTo("127.0.0.1");
    half.resize(helper::kRequestHeaderSize + 3);  // the header promises 8 bytes of data
    ASSERT_TRUE(line.Send(half));
    EXPECT_EQ(line.CloseAndWait(), 3);
  });
}

}  // namespace
