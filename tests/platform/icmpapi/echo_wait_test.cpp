// How IcmpSendEcho waits: the round trip comes from the kernel's receive
// time stamp, so a caller busy in its blocking hook does not lengthen it,
// and the hook keeps running however much other ICMP traffic arrives.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/icmpapi/echo_helper_location.h"
#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/last_error.h"
#include "tests/platform/icmpapi/echo_helper_fixture.h"
#include "tests/platform/icmpapi/echo_responder.h"
#include "tests/platform/icmpapi/ping_namespaces.h"
#include "tests/support/netns_child.h"
#include "tests/support/platform_seams/echo_helper_path.h"

namespace {

using echo_helper_test::Ipv4;
using icmpapi::EchoSocketKind;
using Clock = std::chrono::steady_clock;

const std::vector<std::uint8_t> kPayload = [] {
  const std::string text = "Quillmar echo test payload: exactly fifty-nine bytes long..";
  return std::vector<std::uint8_t>(text.begin(), text.end());
}();

constexpr auto kResponderDelay = std::chrono::milliseconds(60);
constexpr auto kBusyRepaint = std::chrono::milliseconds(400);

struct TimedEcho {
  DWORD count = 0;
  DWORD lastError = 0;
  ICMP_ECHO_REPLY record{};
  std::int64_t microseconds = 0;
  Clock::duration elapsed{};
};

TimedEcho EchoWithTimer(HANDLE handle, DWORD timeoutMs) {
  std::vector<std::uint8_t> buffer(sizeof(ICMP_ECHO_REPLY) + kPayload.size());
  TimedEcho echo;
  const Clock::time_point start = Clock::now();
  echo.count = IcmpSendEcho(handle, Ipv4("127.0.0.1"), const_cast<std::uint8_t*>(kPayload.data()),
                            static_cast<WORD>(kPayload.size()), nullptr, buffer.data(),
                            static_cast<DWORD>(buffer.size()), timeoutMs);
  echo.elapsed = Clock::now() - start;
  echo.lastError = GetLastError();
  echo.microseconds = icmpapi::LastEchoRoundTripMicroseconds();
  std::memcpy(&echo.record, buffer.data(), sizeof echo.record);
  return echo;
}

// A repaint that takes long, while the reply is already on its way.
BOOL SlowFirstRepaint() {
  static bool painted = false;
  if (!painted) std::this_thread::sleep_for(kBusyRepaint);
  painted = true;
  return TRUE;
}

// One echo that the responder answers after its delay, while the blocking
// hook's first repaint takes long.
TimedEcho EchoBesideASlowRepaint(HANDLE handle, icmpapi_test::EchoResponder& responder) {
  responder.Start({icmpapi_test::Reply::Correct}, kPayload, kResponderDelay);
  kernel::SetBlockingHook(&SlowFirstRepaint);
  const TimedEcho echo = EchoWithTimer(handle, 5000);
  kernel::SetBlockingHook(nullptr);
  EXPECT_EQ(responder.Finish(), 1);
  return echo;
}

// The echo is answered after the responder's delay, the reply read only
// after the slow repaint: the round trip is the delay, not the repaint.
void ExpectRoundTripOfTheDelayOnly(const TimedEcho& echo) {
  ASSERT_EQ(echo.count, 1u) << "last error " << echo.lastError;
  EXPECT_GE(echo.elapsed, kBusyRepaint) << "the hook did not hold up the reading";
  EXPECT_GE(echo.microseconds, std::chrono::microseconds(kResponderDelay).count());
  EXPECT_LT(echo.microseconds, std::chrono::microseconds(kBusyRepaint).count()) << "the repaint was counted";
  EXPECT_EQ(echo.record.RoundTripTime, static_cast<ULONG>(echo.microseconds / 1000));
}

class EchoWaitTest : public ::testing::TestWithParam<EchoSocketKind> {
 protected:
  void SetUp() override {
    if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for network namespaces and raw ICMP sockets";
  }
};

TEST_P(EchoWaitTest, ABusyHookDoesNotLengthenTheRoundTrip) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = icmpapi_test::PingNamespace(GetParam());
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");  // only the responder answers
    const HANDLE handle = icmpapi_test::OpenEchoHandle(ns, GetParam());
    const netns::ScopedEnter inside(ns);
    icmpapi_test::EchoResponder responder(Ipv4("127.0.0.2"));
    EXPECT_FALSE(icmpapi_test::KernelStampsOn(handle));
    ExpectRoundTripOfTheDelayOnly(EchoBesideASlowRepaint(handle, responder));
    EXPECT_TRUE(icmpapi_test::KernelStampsOn(handle)) << "a busy thread waited on the handle";
    EXPECT_EQ(EchoWithTimer(handle, 300).microseconds, -1) << "a time-out leaves no round trip behind";
    IcmpCloseHandle(handle);
  });
}

// Foreign echo replies pour in all the time; the echo itself is never
// answered. Every one of them wakes the wait, yet the hook must still run.
TEST_P(EchoWaitTest, TheHookRunsThroughAFloodOfForeignIcmp) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = icmpapi_test::PingNamespace(GetParam());
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    const HANDLE handle = icmpapi_test::OpenEchoHandle(ns, GetParam());
    const netns::ScopedEnter inside(ns);
    static int hookCalls = 0;  // the hook is a plain function pointer
    icmpapi_test::ForeignIcmpFlood flood(Ipv4("127.0.0.1"));
    kernel::SetBlockingHook([]() -> BOOL { return ++hookCalls, FALSE; });
    const TimedEcho echo = EchoWithTimer(handle, 1000);
    kernel::SetBlockingHook(nullptr);
    EXPECT_EQ(echo.count, 0u);
    EXPECT_EQ(echo.lastError, IP_REQ_TIMED_OUT);
    EXPECT_GT(flood.sent(), 1000) << "the flood did not flow";
    // One call per 20 ms slice when all is quiet; a flood may take some away.
    EXPECT_GE(hookCalls, 10) << "packets of the flood: " << flood.sent();
    IcmpCloseHandle(handle);
  });
}

INSTANTIATE_TEST_SUITE_P(SocketKinds, EchoWaitTest,
                         ::testing::Values(EchoSocketKind::Unprivileged, EchoSocketKind::Raw),
                         [](const auto& info) { return std::string(icmpapi_test::KindName(info.param)); });

using EchoWaitHelperTest = echo_helper_test::CapableHelperTest;

// The helper measures the round trip itself, so the library's busy hook
// does not count there either.
TEST_F(EchoWaitHelperTest, ThroughTheHelperTheRoundTripIsTheHelpersMeasure) {
  const std::string path = helperPath();
  VQ_RUN_IN_CHILD([&] {
    const netns::Namespace ns = echo_helper_test::NamespaceWithoutPingGroup();
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    ns.EnterPermanently();
    icmpapi_test::EchoResponder responder(Ipv4("127.0.0.2"));  // its raw sockets are opened as root
    echo_helper_test::BecomeOrdinaryUserIn(ns);
    const vqtest::ScopedEchoHelperPath useCopy(path);
    const HANDLE handle = IcmpCreateFile();
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_EQ(icmpapi_test::KindOpened(icmpapi::LastOpenFailure()), EchoSocketKind::Helper);
    ExpectRoundTripOfTheDelayOnly(EchoBesideASlowRepaint(handle, responder));
    IcmpCloseHandle(handle);
  });
}

}  // namespace
