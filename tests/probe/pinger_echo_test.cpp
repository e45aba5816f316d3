// CPinger with the real ICMP library, in private network namespaces: an
// answering loopback, a silent host, an unreachable neighbour and a user who
// may not open ICMP sockets.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "probe/pinger.h"
#include "platform/icmpapi/echo_helper_location.h"
#include "tests/probe/echo_capture.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/netns_veth.h"
#include "tests/support/nobody_user.h"
#include "tests/support/ping_record_checks.h"
#include "tests/support/platform_seams/echo_helper_path.h"

namespace {

using Bytes = std::vector<BYTE>;
using vqtest::ExpectHolds;
using Clock = std::chrono::steady_clock;

const std::string kRequestText = "Vendrisk Olmaquetra Vendrisk Olmaquetra Vendrisk Olmaquetra";

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class PingerEchoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for network namespaces and ICMP sockets";
  }
};

TEST_F(PingerEchoTest, LoopbackAnswersAndTheWireCarriesTheTextOnly) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    const netns::ScopedEnter inside(ns);
    icmpapi_test::EchoRequestCapture capture;
    ASSERT_TRUE(capture.IsOpen());
    CPinger pinger;
    CPingResults record;
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(pinger.Ping("127.0.0.1", &record, 255), 1u) << "error " << pinger.m_dwErrorCode;
    const long long elapsedMs = MillisecondsSince(start);
    EXPECT_STREQ(record.m_strReplyAddress, "127.0.0.1");
    EXPECT_LE(record.m_dwRoundTripTime, static_cast<DWORD>(elapsedMs));
    EXPECT_GT(record.m_byTimeToLive, 0);
    EXPECT_EQ(pinger.m_dwErrorCode, 0u);
    EXPECT_FALSE(pinger.EchoNotPermitted());
    EXPECT_GE(pinger.LastRoundTripMicroseconds(), 0);
    EXPECT_EQ(record.m_dwRoundTripTime, static_cast<DWORD>(pinger.LastRoundTripMicroseconds() / 1000));

    EXPECT_EQ(pinger.Ping("127.0.0.1", nullptr, 255), 1u);
    EXPECT_EQ(pinger.Ping("127.0.0.1", &record, 1), 1u);  // the time to live asked for is not used
    EXPECT_STREQ(record.m_strReplyAddress, "127.0.0.1");

    const std::vector<icmpapi_test::CapturedRequest> requests = capture.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const icmpapi_test::CapturedRequest& request : requests) {
      EXPECT_EQ(request.data, Bytes(kRequestText.begin(), kRequestText.end()));
      EXPECT_EQ(request.ttl, requests[0].ttl);
    }
  });
}

TEST_F(PingerEchoTest, SilentHostTimesOutAfterFiveSeconds) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    const netns::ScopedEnter inside(ns);
    CPinger pinger;
    CPingResults record;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(pinger.Ping("127.0.0.1", &record, 255), 0u);
    EXPECT_GE(MillisecondsSince(start), 4900);
    EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(IP_REQ_TIMED_OUT));
    EXPECT_FALSE(pinger.EchoNotPermitted());
    EXPECT_EQ(pinger.LastRoundTripMicroseconds(), -1);
    ExpectHolds(record, "", 0, 0);
  });
}

// 192.0.2.77 lies on the directly connected link but nobody owns it: the
// neighbour lookup fails and the library stores a host-unreachable record.
TEST_F(PingerEchoTest, UnreachableNeighbourIsAFailure) {
  if (!netns::HaveIpTool()) GTEST_SKIP() << "needs the ip tool (iproute2) for a veth pair";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace host = netns::Namespace::Create();
    const netns::Namespace peer = netns::Namespace::Create();
    netns::AddVethPair(host, "h0", peer, "p0");
    netns::ConfigureInterface(host, "h0", "192.0.2.1/24");
    netns::ConfigureInterface(peer, "p0", "192.0.2.2/24");
    const netns::ScopedEnter inside(host);
    CPinger pinger;
    CPingResults record;
    record.m_strReplyAddress = "10.9.9.9";
    record.m_dwRoundTripTime = 99;
    record.m_byTimeToLive = 9;
    EXPECT_EQ(pinger.Ping("192.0.2.77", &record, 255), 0u);
    EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(IP_DEST_HOST_UNREACHABLE));
    ExpectHolds(record, "10.9.9.9", 99, 9);
    // The neighbour that does exist still answers.
    EXPECT_EQ(pinger.Ping("192.0.2.2", &record, 255), 1u) << "error " << pinger.m_dwErrorCode;
    EXPECT_STREQ(record.m_strReplyAddress, "192.0.2.2");
  });
}

// No echo could be sent: the caller learns that, and why, instead of a
// time-out; a helper that could not start is named with its own cause.
TEST_F(PingerEchoTest, RefusedIcmpSocketIsReportedAsNotPermitted) {
  char folder[] = "/tmp/vq-pinger-helper-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  ::chmod(folder, 0755);
  const std::string brokenHelper = std::string(folder) + "/quillmar-echo-helper";
  std::ofstream(brokenHelper) << "no program at all";
  ::chmod(brokenHelper.c_str(), 0755);
  struct Case {
    std::string helper;
    std::string said;
  };
  for (const Case& c : {Case{"", "is not installed"}, Case{brokenHelper, brokenHelper + " could not be started"}}) {
    VQ_RUN_IN_CHILD([&] {
      netns::Namespace::Create().EnterPermanently();  // its ping_group_range admits nobody
      ASSERT_TRUE(vqtest::BecomeNobody());
      vqtest::ScopedEchoHelperPath helper(c.helper);
      CPinger pinger;
      EXPECT_TRUE(pinger.EchoPermissionAdvice().IsEmpty());
      EXPECT_EQ(pinger.Ping("127.0.0.1", nullptr, 255), 0u);
      EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(ERROR_INVALID_HANDLE));
      EXPECT_TRUE(pinger.EchoNotPermitted());
      const std::string advice = static_cast<LPCSTR>(pinger.EchoPermissionAdvice());
      EXPECT_NE(advice.find("net.ipv4.ping_group_range"), std::string::npos) << advice;
      EXPECT_NE(advice.find(c.said), std::string::npos) << advice;
      EXPECT_EQ(advice.find("setcap"), std::string::npos) << advice;
      EXPECT_EQ(pinger.LastRoundTripMicroseconds(), -1);
    });
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
