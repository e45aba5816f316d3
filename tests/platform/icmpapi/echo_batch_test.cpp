// EchoBatch: many echoes at once on one descriptor, each ending exactly once
// by its reply, an ICMP error or its own time-out; on ICMP sockets of both
// kinds and through the echo helper.
#include "platform/icmpapi/echo_batch.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/icmpapi/echo_helper_location.h"
#include "tests/platform/icmpapi/echo_helper_fixture.h"
#include "tests/platform/icmpapi/echo_responder.h"
#include "tests/platform/icmpapi/ping_namespaces.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_veth.h"

namespace {

using echo_helper_test::Ipv4;
using icmpapi::EchoBatch;
using icmpapi::EchoOutcome;
using icmpapi::EchoSocketKind;
using Clock = std::chrono::steady_clock;

const std::string kPayload = "Vendrisk Olmaquetra Vendrisk Olmaquetra Vendrisk Olmaquetra";

struct Collected {
  std::map<std::size_t, EchoOutcome> byTag;
  std::vector<std::size_t> order;  // tags in the order Wait returned them
};

// Waits until nothing is in flight; each tag may end only once.
Collected CollectAll(EchoBatch& batch) {
  Collected collected;
  const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(30);
  while (batch.InFlight() > 0 && Clock::now() < giveUp) {
    for (const EchoOutcome& outcome : batch.Wait(1000)) {
      EXPECT_TRUE(collected.byTag.emplace(outcome.tag, outcome).second) << "tag " << outcome.tag << " ended twice";
      collected.order.push_back(outcome.tag);
    }
  }
  return collected;
}

void Start(EchoBatch& batch, std::size_t tag, const std::string& address, DWORD timeoutMs) {
  batch.Start(tag, Ipv4(address.c_str()), kPayload.data(), static_cast<WORD>(kPayload.size()), timeoutMs);
}

void ExpectReplyFrom(const EchoOutcome& outcome, const std::string& address) {
  EXPECT_EQ(outcome.status, IP_SUCCESS) << address;
  EXPECT_EQ(outcome.replyAddress, Ipv4(address.c_str())) << address;
  EXPECT_GE(outcome.roundTripMicroseconds, 0) << address;
  EXPECT_EQ(outcome.roundTripMs, static_cast<ULONG>(outcome.roundTripMicroseconds / 1000)) << address;
  EXPECT_GT(outcome.ttl, 0) << address;
}

void ExpectTimedOut(const EchoOutcome& outcome) {
  EXPECT_EQ(outcome.status, IP_REQ_TIMED_OUT);
  EXPECT_EQ(outcome.replyAddress, 0u);
  EXPECT_EQ(outcome.roundTripMicroseconds, -1);
}

std::string Loopback(std::size_t i) { return "127.0.0." + std::to_string(1 + i % 250); }
std::string SilentHost(std::size_t i) { return "198.51.100." + std::to_string(10 + i % 200); }

// The sanitizers' runtime opens a pipe of its own to check that memory can
// be read (as when it looks up a virtual table for the first time), so a
// sanitized build gets two descriptors more.
#if defined(__SANITIZE_ADDRESS__)
constexpr rlim_t kSanitizerDescriptors = 2;
#else
constexpr rlim_t kSanitizerDescriptors = 0;
#endif

// No descriptor is to be had beyond those open now and one more, until the
// guard ends. Only the soft limit moves, so the guard can put it back as an
// ordinary user too.
class OneMoreDescriptorOnly {
 public:
  OneMoreDescriptorOnly() {
    int highest = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
      while (const dirent* entry = ::readdir(fds)) highest = std::max(highest, std::atoi(entry->d_name));
      ::closedir(fds);
    }
    EXPECT_EQ(::getrlimit(RLIMIT_NOFILE, &m_before), 0);
    rlimit limit = m_before;
    limit.rlim_cur = static_cast<rlim_t>(highest) + 2 + kSanitizerDescriptors;
    EXPECT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  }
  ~OneMoreDescriptorOnly() { Release(); }
  OneMoreDescriptorOnly(const OneMoreDescriptorOnly&) = delete;
  OneMoreDescriptorOnly& operator=(const OneMoreDescriptorOnly&) = delete;

  // Looking at /proc takes descriptors of its own.
  void Release() { EXPECT_EQ(::setrlimit(RLIMIT_NOFILE, &m_before), 0); }

 private:
  rlimit m_before{};
};

class EchoBatchTest : public ::testing::TestWithParam<EchoSocketKind> {
 protected:
  void SetUp() override {
    if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for network namespaces and raw ICMP sockets";
    if (!netns::HaveIpTool()) GTEST_SKIP() << "needs the ip tool (iproute2) for silent and routed networks";
  }
};

// A thousand servers at once: one descriptor; the silent ones time out at
// their own deadline, after every answer has come in.
TEST_P(EchoBatchTest, AThousandEchoesShareOneDescriptorAndEachEndsOnce) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = icmpapi_test::PingNamespace(GetParam());
    const netns::Namespace neighbour = echo_helper_test::AddSilentNetwork(ns);
    const netns::ScopedEnter inside(ns);
    const OneMoreDescriptorOnly descriptors;
    icmpapi::OpenFailureInfo failure;
    const std::unique_ptr<EchoBatch> batch = EchoBatch::Open(failure);
    ASSERT_NE(batch, nullptr) << icmpapi::OpenFailureAdvice(failure);
    EXPECT_EQ(icmpapi_test::KindOpened(failure), GetParam());
    constexpr std::size_t kEchoes = 1000;
    for (std::size_t i = 0; i < kEchoes; ++i) {
      if (i % 10 == 0) {
        Start(*batch, i, SilentHost(i), 2000);
      } else {
        Start(*batch, i, Loopback(i), 5000);
      }
    }
    EXPECT_EQ(batch->InFlight(), kEchoes);
    const Collected collected = CollectAll(*batch);
    ASSERT_EQ(collected.byTag.size(), kEchoes);
    for (const auto& [tag, outcome] : collected.byTag) {
      if (tag % 10 == 0) {
        ExpectTimedOut(outcome);
      } else {
        ExpectReplyFrom(outcome, Loopback(tag));
      }
    }
    for (std::size_t i = 0; i < kEchoes * 9 / 10; ++i) {
      EXPECT_NE(collected.order[i] % 10, 0u) << "a time-out came before an answer: the echoes waited for each other";
    }
    EXPECT_EQ(batch->InFlight(), 0u);
  });
}

TEST_P(EchoBatchTest, ErrorsAndRefusedDestinationsEndTheirOwnEchoes) {
  VQ_RUN_IN_CHILD([] {
    const icmpapi_test::RoutedNetwork net(GetParam());
    const netns::ScopedEnter inside(net.host);
    icmpapi::OpenFailureInfo failure;
    const std::unique_ptr<EchoBatch> batch = EchoBatch::Open(failure);
    ASSERT_NE(batch, nullptr);
    Start(*batch, 1, "203.0.113.1", 3000);
    Start(*batch, 2, "198.51.100.2", 3000);
    Start(*batch, 3, "192.0.2.2", 3000);
    Start(*batch, 4, "0.0.0.0", 3000);
    Start(*batch, 5, "255.255.255.255", 3000);
    batch->Start(6, Ipv4("192.0.2.2"), nullptr, 59, 3000);
    const Collected collected = CollectAll(*batch);
    ASSERT_EQ(collected.byTag.size(), 6u);
    EXPECT_EQ(collected.byTag.at(1).status, IP_DEST_NET_UNREACHABLE);
    EXPECT_EQ(collected.byTag.at(1).replyAddress, Ipv4("192.0.2.2")) << "the router that reported it";
    EXPECT_GE(collected.byTag.at(1).roundTripMicroseconds, 0);
    EXPECT_EQ(collected.byTag.at(2).status, IP_DEST_HOST_UNREACHABLE);
    ExpectReplyFrom(collected.byTag.at(3), "192.0.2.2");
    EXPECT_EQ(collected.byTag.at(4).status, IP_BAD_DESTINATION);
    EXPECT_EQ(collected.byTag.at(5).status, IP_BAD_DESTINATION);
    EXPECT_EQ(collected.byTag.at(6).status, static_cast<ULONG>(ERROR_INVALID_PARAMETER));
  });
}

// Every sequence number in flight at once: the next echo cannot have one.
TEST_P(EchoBatchTest, SequencesInFlightAreNeverGivenOutTwice) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = icmpapi_test::PingNamespace(GetParam());
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    const netns::ScopedEnter inside(ns);
    icmpapi::OpenFailureInfo failure;
    const std::unique_ptr<EchoBatch> batch = EchoBatch::Open(failure);
    ASSERT_NE(batch, nullptr);
    constexpr std::size_t kSequences = 65536;
    for (std::size_t i = 0; i <= kSequences; ++i) Start(*batch, i, "127.0.0.1", 1000);
    const Collected collected = CollectAll(*batch);
    ASSERT_EQ(collected.byTag.size(), kSequences + 1);
    EXPECT_EQ(collected.byTag.at(kSequences).status, IP_NO_RESOURCES);
    for (std::size_t i = 0; i < kSequences; ++i) ASSERT_EQ(collected.byTag.at(i).status, IP_REQ_TIMED_OUT) << i;
  });
}

// The caller is busy while the reply waits to be read: the round trip still
// ends when the reply arrived.
TEST_P(EchoBatchTest, ACallerBusyBeforeWaitingDoesNotLengthenTheRoundTrip) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = icmpapi_test::PingNamespace(GetParam());
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");  // only the responder answers
    const netns::ScopedEnter inside(ns);
    icmpapi::OpenFailureInfo failure;
    const std::unique_ptr<EchoBatch> batch = EchoBatch::Open(failure);
    ASSERT_NE(batch, nullptr);
    icmpapi_test::EchoResponder responder(Ipv4("127.0.0.2"));
    responder.Start({icmpapi_test::Reply::Correct}, std::vector<std::uint8_t>(kPayload.begin(), kPayload.end()),
                    std::chrono::milliseconds(60));
    Start(*batch, 7, "127.0.0.1", 5000);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const Collected collected = CollectAll(*batch);
    EXPECT_EQ(responder.Finish(), 1);
    ASSERT_EQ(collected.byTag.size(), 1u);
    const EchoOutcome& outcome = collected.byTag.at(7);
    ExpectReplyFrom(outcome, "127.0.0.1");
    EXPECT_GE(outcome.roundTripMicroseconds, 60000) << "the responder's delay";
    EXPECT_LT(outcome.roundTripMicroseconds, 400000) << "the caller's busy time counted";
  });
}

INSTANTIATE_TEST_SUITE_P(SocketKinds, EchoBatchTest,
                         ::testing::Values(EchoSocketKind::Unprivileged, EchoSocketKind::Raw),
                         [](const auto& info) { return std::string(icmpapi_test::KindName(info.param)); });

using EchoBatchHelperTest = echo_helper_test::CapableHelperTest;

TEST_F(EchoBatchHelperTest, AnOrdinaryUsersBatchGoesThroughOneHelper) {
  RunAsOrdinaryUser(
      [&] {
        OneMoreDescriptorOnly descriptors;
        icmpapi::OpenFailureInfo failure;
        const std::unique_ptr<EchoBatch> batch = EchoBatch::Open(failure);
        ASSERT_NE(batch, nullptr) << icmpapi::OpenFailureAdvice(failure);
        EXPECT_EQ(icmpapi_test::KindOpened(failure), EchoSocketKind::Helper);
        constexpr std::size_t kEchoes = 200;
        for (std::size_t i = 0; i < kEchoes; ++i) Start(*batch, i, i % 50 == 0 ? SilentHost(i) : Loopback(i), 3000);
        Start(*batch, kEchoes, "240.0.0.1", 3000);  // the helper's own refusal
        const Collected collected = CollectAll(*batch);
        ASSERT_EQ(collected.byTag.size(), kEchoes + 1);
        for (std::size_t i = 0; i < kEchoes; ++i) {
          if (i % 50 == 0) {
            ExpectTimedOut(collected.byTag.at(i));
          } else {
            ExpectReplyFrom(collected.byTag.at(i), Loopback(i));
          }
        }
        EXPECT_EQ(collected.byTag.at(kEchoes).status, IP_BAD_DESTINATION);
        descriptors.Release();
        EXPECT_EQ(echo_helper_test::ChildrenOfThisProcess().size(), 1u);
      },
      {.silentHosts = true});
}

TEST_F(EchoBatchHelperTest, AHelperThatDiesEndsEveryEchoInFlight) {
  RunAsOrdinaryUser(
      [&] {
        icmpapi::OpenFailureInfo failure;
        const std::unique_ptr<EchoBatch> batch = EchoBatch::Open(failure);
        ASSERT_NE(batch, nullptr);
        for (std::size_t i = 0; i < 20; ++i) Start(*batch, i, SilentHost(i), 10000);
        EXPECT_TRUE(batch->Wait(100).empty());
        const std::vector<pid_t> helpers = echo_helper_test::ChildrenOfThisProcess();
        ASSERT_EQ(helpers.size(), 1u);
        ASSERT_EQ(::kill(helpers[0], SIGKILL), 0);
        const Collected collected = CollectAll(*batch);
        ASSERT_EQ(collected.byTag.size(), 20u);
        for (const auto& [tag, outcome] : collected.byTag) EXPECT_EQ(outcome.status, IP_GENERAL_FAILURE) << tag;
        Start(*batch, 99, "127.0.0.1", 1000);
        EXPECT_EQ(CollectAll(*batch).byTag.at(99).status, IP_GENERAL_FAILURE) << "the batch stays failed";
      },
      {.silentHosts = true});
}

}  // namespace
