// Real ICMP echoes in private network namespaces: loopback, silent hosts,
// misleading replies, and ICMP errors from a router.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/icmpapi/echo_helper_location.h"
#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/last_error.h"
#include "tests/platform/icmpapi/echo_responder.h"
#include "tests/platform/icmpapi/ping_namespaces.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/netns_veth.h"
#include "tests/support/nobody_user.h"
#include "tests/support/platform_seams/echo_helper_path.h"

namespace {

using icmpapi::EchoSocketKind;
using icmpapi_test::KindName;
using icmpapi_test::OpenEchoHandle;
using icmpapi_test::PingNamespace;
using icmpapi_test::RoutedNetwork;
using Bytes = std::vector<std::uint8_t>;

const Bytes kPayload = [] {
  const std::string text = "Quillmar echo test payload: exactly fifty-nine bytes long..";
  return Bytes(text.begin(), text.end());
}();

std::uint32_t Ipv4(const char* text) {
  in_addr address{};
  inet_pton(AF_INET, text, &address);
  return address.s_addr;
}

struct EchoCall {
  DWORD count = 0;
  DWORD lastError = 0;
  long long elapsedMs = 0;
  Bytes buffer;

  ICMP_ECHO_REPLY Record() const {
    ICMP_ECHO_REPLY record{};
    std::memcpy(&record, buffer.data(), sizeof record);
    return record;
  }
  Bytes Data() const {
    const ICMP_ECHO_REPLY reply = Record();
    return Bytes(buffer.begin() + reply.Data, buffer.begin() + reply.Data + reply.DataSize);
  }
};

constexpr std::size_t kGuardBytes = 16;

// The reply buffer is exactly 28 + payload bytes as far as the call knows;
// guard bytes behind it show whether anything was written past its end.
EchoCall Echo(HANDLE handle, const char* destination, DWORD timeoutMs, PIP_OPTION_INFORMATION options = nullptr,
              DWORD replySize = sizeof(ICMP_ECHO_REPLY) + 59) {
  EchoCall call;
  call.buffer.assign(replySize + kGuardBytes, 0xEE);
  SetLastError(0);
  const auto start = std::chrono::steady_clock::now();
  call.count = IcmpSendEcho(handle, Ipv4(destination), const_cast<std::uint8_t*>(kPayload.data()),
                            static_cast<WORD>(kPayload.size()), options, call.buffer.data(), replySize, timeoutMs);
  call.lastError = GetLastError();
  call.elapsedMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  for (std::size_t i = replySize; i < call.buffer.size(); ++i) {
    EXPECT_EQ(call.buffer[i], 0xEE) << "written past the reply buffer";
  }
  return call;
}

void ExpectReplyFrom(const EchoCall& call, const char* host) {
  ASSERT_EQ(call.count, 1u) << "last error " << call.lastError;
  const ICMP_ECHO_REPLY reply = call.Record();
  EXPECT_EQ(reply.Status, IP_SUCCESS);
  EXPECT_EQ(reply.Address, Ipv4(host));
  EXPECT_EQ(reply.DataSize, kPayload.size());
  EXPECT_EQ(reply.Data, sizeof(ICMP_ECHO_REPLY));
  EXPECT_GT(reply.Options.Ttl, 0);
  EXPECT_LE(reply.RoundTripTime, static_cast<ULONG>(call.elapsedMs));
  EXPECT_EQ(call.Data(), kPayload);
}

class IcmpEchoTest : public ::testing::TestWithParam<EchoSocketKind> {
 protected:
  void SetUp() override {
    if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for network namespaces and raw ICMP sockets";
  }
};

TEST_P(IcmpEchoTest, LoopbackAnswersWithTheExactPayload) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = PingNamespace(GetParam());
    int capture = -1;
    {
      netns::ScopedEnter inside(ns);
      capture = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK, IPPROTO_ICMP);
      ASSERT_GE(capture, 0);
    }
    const HANDLE handle = OpenEchoHandle(ns, GetParam());
    const EchoCall first = Echo(handle, "127.0.0.1", 5000);
    ExpectReplyFrom(first, "127.0.0.1");
    // What went on the wire: one request carrying exactly the given bytes.
    int requests = 0;
    std::uint8_t packet[2048];
    for (ssize_t n; (n = ::recv(capture, packet, sizeof packet, 0)) > 0;) {
      const std::size_t header = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
      if (packet[header] != 8) continue;
      ++requests;
      EXPECT_EQ(Bytes(packet + header + 8, packet + n), kPayload);
    }
    EXPECT_EQ(requests, 1);
    ::close(capture);
    // The handle serves further echoes; stale packets of the first do not count.
    ExpectReplyFrom(Echo(handle, "127.0.0.1", 5000), "127.0.0.1");
    EXPECT_TRUE(IcmpCloseHandle(handle));
  });
}

TEST_P(IcmpEchoTest, SilentHostTimesOut) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = PingNamespace(GetParam());
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    const HANDLE handle = OpenEchoHandle(ns, GetParam());
    static int hookCalls = 0;  // the hook is a plain function pointer
    kernel::SetBlockingHook([]() -> BOOL { return ++hookCalls, FALSE; });
    const EchoCall call = Echo(handle, "127.0.0.1", 300);
    kernel::SetBlockingHook(nullptr);
    EXPECT_EQ(call.count, 0u);
    EXPECT_EQ(call.lastError, IP_REQ_TIMED_OUT);
    EXPECT_GE(call.elapsedMs, 290);
    EXPECT_GT(hookCalls, 0) << "the wait must let the blocking hook run";
    IcmpCloseHandle(handle);
  });
}

const std::vector<icmpapi_test::Reply> kMisleadingReplies = {
    icmpapi_test::Reply::ForeignIdentifier, icmpapi_test::Reply::WrongSequence,    icmpapi_test::Reply::WrongSource,
    icmpapi_test::Reply::CorruptPayload,    icmpapi_test::Reply::TruncatedPayload, icmpapi_test::Reply::BadChecksum,
};

TEST_P(IcmpEchoTest, MisleadingRepliesAreSkippedUntilTheRightOne) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = PingNamespace(GetParam());
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");  // only the responder answers
    const HANDLE handle = OpenEchoHandle(ns, GetParam());
    netns::ScopedEnter inside(ns);
    icmpapi_test::EchoResponder responder(Ipv4("127.0.0.2"));
    std::vector<icmpapi_test::Reply> script = kMisleadingReplies;
    script.push_back(icmpapi_test::Reply::Correct);
    responder.Start(script, kPayload);
    const EchoCall call = Echo(handle, "127.0.0.1", 5000);
    EXPECT_EQ(responder.Finish(), static_cast<int>(script.size()));
    ExpectReplyFrom(call, "127.0.0.1");
    IcmpCloseHandle(handle);
  });
}

TEST_P(IcmpEchoTest, OnlyMisleadingRepliesEndInTimeOut) {
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = PingNamespace(GetParam());
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    const HANDLE handle = OpenEchoHandle(ns, GetParam());
    netns::ScopedEnter inside(ns);
    icmpapi_test::EchoResponder responder(Ipv4("127.0.0.2"));
    responder.Start(kMisleadingReplies, kPayload);
    const EchoCall call = Echo(handle, "127.0.0.1", 300);
    EXPECT_EQ(responder.Finish(), static_cast<int>(kMisleadingReplies.size()));
    EXPECT_EQ(call.count, 0u);
    EXPECT_EQ(call.lastError, IP_REQ_TIMED_OUT);
    IcmpCloseHandle(handle);
  });
}

TEST_P(IcmpEchoTest, RouterErrorsBecomeStatusRecords) {
  if (!netns::HaveIpTool()) GTEST_SKIP() << "needs the ip tool (iproute2) for veth pairs and routes";
  VQ_RUN_IN_CHILD([] {
    const RoutedNetwork net(GetParam());
    const HANDLE handle = OpenEchoHandle(net.host, GetParam());
    struct Case {
      const char* destination;
      bool oneHop;  // the host sends with a time to live of 1, which the router finds expired
      IP_STATUS status;
    };
    const Case cases[] = {
        {"203.0.113.1", false, IP_DEST_NET_UNREACHABLE},
        {"198.51.100.2", false, IP_DEST_HOST_UNREACHABLE},
        {"198.51.100.3", false, IP_DEST_HOST_UNREACHABLE},  // administratively prohibited
        {"198.51.100.9", true, IP_TTL_EXPIRED_TRANSIT},
    };
    for (const Case& c : cases) {
      net.host.WriteSysctl("net.ipv4.ip_default_ttl", c.oneHop ? "1" : "64");
      const EchoCall call = Echo(handle, c.destination, 3000);
      ASSERT_EQ(call.count, 1u) << c.destination << ": last error " << call.lastError;
      const ICMP_ECHO_REPLY reply = call.Record();
      EXPECT_EQ(reply.Status, c.status) << c.destination;
      EXPECT_EQ(reply.Address, Ipv4("192.0.2.2")) << c.destination;
      EXPECT_GT(reply.Options.Ttl, 0) << c.destination;
    }
    // After the errors the router itself answers normally on the same handle.
    ExpectReplyFrom(Echo(handle, "192.0.2.2", 3000), "192.0.2.2");
    IcmpCloseHandle(handle);
  });
}

INSTANTIATE_TEST_SUITE_P(SocketKinds, IcmpEchoTest,
                         ::testing::Values(EchoSocketKind::Unprivileged, EchoSocketKind::Raw),
                         [](const auto& info) { return std::string(KindName(info.param)); });

TEST(IcmpEchoPermissions, RefusedSocketsAreReportedWithAdvice) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root to make namespaces and drop privileges";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();    // its ping_group_range admits nobody
    ASSERT_TRUE(vqtest::BecomeNobody());              // no CAP_NET_RAW from here on
    const vqtest::ScopedEchoHelperPath noHelper("");  // an installed helper could step in
    EXPECT_EQ(IcmpCreateFile(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    const icmpapi::OpenFailureInfo failure = icmpapi::LastOpenFailure();
    EXPECT_EQ(failure.reason, icmpapi::OpenFailure::NotPermitted);
    EXPECT_NE(failure.unprivilegedErrno, 0);
    EXPECT_NE(failure.rawErrno, 0);
    const std::string advice = icmpapi::OpenFailureAdvice(failure);
    EXPECT_NE(advice.find("net.ipv4.ping_group_range"), std::string::npos) << advice;
    EXPECT_NE(advice.find("cap_net_raw"), std::string::npos) << advice;
  });
}

TEST(IcmpEchoPermissions, AdmittedGroupPingsWithoutPrivileges) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root to make namespaces and drop privileges";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    ns.WriteSysctl("net.ipv4.ping_group_range",
                   std::to_string(vqtest::kNobody) + " " + std::to_string(vqtest::kNobody));
    ns.EnterPermanently();
    ASSERT_TRUE(vqtest::BecomeNobody());  // no CAP_NET_RAW from here on
    const HANDLE handle = IcmpCreateFile();
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << "last error " << GetLastError();
    EXPECT_EQ(icmpapi::LastOpenFailure().reason, icmpapi::OpenFailure::None);
    EXPECT_EQ(icmpapi_test::KindOpened(icmpapi::LastOpenFailure()), EchoSocketKind::Unprivileged);
    ExpectReplyFrom(Echo(handle, "127.0.0.1", 5000), "127.0.0.1");
    EXPECT_TRUE(IcmpCloseHandle(handle));
  });
}

}  // namespace
