// quillmar-echo-helper's pace as the network sees it: in a private network
// namespace a raw socket takes the kernel's receive time of every echo
// request the helper sends over loopback, for the user nobody.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/icmpapi/echo_helper_protocol.h"
#include "platform/icmpapi/icmpapi.h"
#include "tests/platform/icmpapi/echo_helper_fixture.h"
#include "tests/support/netns_child.h"
#include "tests/support/nobody_user.h"

namespace {

namespace helper = icmpapi::helper;
using echo_helper_test::HelperLine;
using echo_helper_test::Ipv4;

constexpr char kData[] = "Quillmar";
constexpr std::uint8_t kEchoRequestType = 8;
constexpr std::int64_t kMs = 1000000;  // nanoseconds

std::string Loopback(int n) { return "127.0.0." + std::to_string(n); }

std::vector<std::uint8_t> RequestTo(const std::string& destination, std::uint64_t tag, std::uint32_t timeoutMs) {
  helper::Request request;
  request.destination = Ipv4(destination.c_str());
  request.data.assign(kData, kData + 8);
  request.timeoutMs = timeoutMs;
  request.tag = tag;
  return helper::EncodeRequest(request);
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

// The echo requests that arrived in the namespace, by destination, each
// with the kernel's receive time stamp in arrival order. Opened while the
// child is still root; it sees every ICMP packet delivered there.
class RequestWatch {
 public:
  RequestWatch() : m_fd(::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP)) {
    const int on = 1;
    if (m_fd >= 0) ::setsockopt(m_fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
  }
  ~RequestWatch() {
    if (m_fd >= 0) ::close(m_fd);
  }
  RequestWatch(const RequestWatch&) = delete;
  RequestWatch& operator=(const RequestWatch&) = delete;

  bool IsOpen() const { return m_fd >= 0; }

  // What has arrived so far; never waits.
  std::map<std::string, std::vector<std::int64_t>> Take() {
    std::map<std::string, std::vector<std::int64_t>> seen;
    std::uint8_t packet[2048];
    alignas(8) std::uint8_t control[256];
    for (;;) {
      iovec io{packet, sizeof packet};
      msghdr message{};
      message.msg_iov = &io;
      message.msg_iovlen = 1;
      message.msg_control = control;
      message.msg_controllen = sizeof control;
      const ssize_t n = ::recvmsg(m_fd, &message, MSG_DONTWAIT);
      if (n <= 0) return seen;
      AddIfOurs(packet, static_cast<std::size_t>(n), Stamp(message), seen);
    }
  }

 private:
  static std::int64_t Stamp(msghdr& message) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
      if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
      timespec stamp{};
      std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
      return std::int64_t{stamp.tv_sec} * 1000000000 + stamp.tv_nsec;
    }
    return -1;
  }

  static void AddIfOurs(const std::uint8_t* packet, std::size_t size, std::int64_t stamp,
                        std::map<std::string, std::vector<std::int64_t>>& seen) {
    if (size < sizeof(iphdr)) return;
    iphdr ip{};
    std::memcpy(&ip, packet, sizeof ip);
    const std::size_t icmpAt = static_cast<std::size_t>(ip.ihl) * 4;
    if (size < icmpAt + 8 + 8 || packet[icmpAt] != kEchoRequestType) return;
    if (std::memcmp(packet + icmpAt + 8, kData, 8) != 0) return;
    in_addr destination{ip.daddr};
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &destination, text, sizeof text);
    seen[text].push_back(stamp);
  }

  int m_fd;
};

class EchoHelperPacingTest : public echo_helper_test::CapableHelperTest {
 protected:
  // Runs body as the user nobody in a namespace of its own, with a watch
  // on the requests opened there first.
  void WatchAsOrdinaryUser(const std::function<void(RequestWatch&)>& body) {
    const std::string path = helperPath();
    VQ_RUN_IN_CHILD([&] {
      const netns::Namespace ns = echo_helper_test::NamespaceWithoutPingGroup();
      ns.EnterPermanently();
      RequestWatch watch;
      ASSERT_TRUE(watch.IsOpen()) << "no raw socket for the watch";
      ASSERT_TRUE(vqtest::BecomeNobody());
      body(watch);
    });
  }
};

// Twenty echoes to one address, asked at once and then twenty to other
// addresses: the one address gets one echo every 200 ms, every one of them
// answered, while the others go out before its second.
TEST_F(EchoHelperPacingTest, OneDestinationGetsFiveEchoesASecondWhileOthersGoPast) {
  WatchAsOrdinaryUser([&](RequestWatch& watch) {
    HelperLine line(helperPath());
    ASSERT_TRUE(line.ReadHello());
    std::vector<std::uint8_t> requests;
    for (std::uint64_t tag = 1; tag <= 20; ++tag) Append(requests, RequestTo(Loopback(1), tag, 5000));
    for (int n = 2; n <= 21; ++n) Append(requests, RequestTo(Loopback(n), 100 + n, 5000));
    ASSERT_TRUE(line.Send(requests));
    for (int i = 0; i < 40; ++i) {
      const auto reply = line.ReadReply();
      ASSERT_TRUE(reply) << "after " << i << " replies";
      EXPECT_EQ(reply->count, 1u) << "tag " << reply->tag << " waited for its turn and was still sent; last error "
                                  << reply->lastError;
    }
    std::map<std::string, std::vector<std::int64_t>> seen = watch.Take();
    const std::vector<std::int64_t>& one = seen[Loopback(1)];
    ASSERT_EQ(one.size(), 20u);
    for (std::size_t i = 1; i < one.size(); ++i) {
      // 200 ms apart, less what the scheduler may take between the helper's
      // look at its clock and the send.
      EXPECT_GE(one[i] - one[i - 1], 150 * kMs) << "echoes " << i - 1 << " and " << i;
    }
    EXPECT_GE(one.back() - one.front(), 3750 * kMs) << "19 turns of 200 ms";
    for (int n = 2; n <= 21; ++n) {
      const std::vector<std::int64_t>& other = seen[Loopback(n)];
      ASSERT_EQ(other.size(), 1u) << Loopback(n);
      EXPECT_LT(other.front(), one[1]) << Loopback(n) << " waited behind 127.0.0.1";
    }
    EXPECT_EQ(line.CloseAndWait(), 0);
  });
}

// With a 500 ms time-out, echoes to one address that wait past it end as
// timed out without ever being sent: the wait counts as part of it.
TEST_F(EchoHelperPacingTest, AnEchoWhoseTimeOutPassesWhileItWaitsIsNeverSent) {
  WatchAsOrdinaryUser([&](RequestWatch& watch) {
    HelperLine line(helperPath());
    ASSERT_TRUE(line.ReadHello());
    std::vector<std::uint8_t> requests;
    for (std::uint64_t tag = 1; tag <= 10; ++tag) Append(requests, RequestTo(Loopback(1), tag, 500));
    ASSERT_TRUE(line.Send(requests));
    std::size_t answered = 0;
    for (int i = 0; i < 10; ++i) {
      const auto reply = line.ReadReply();
      ASSERT_TRUE(reply) << "after " << i << " replies";
      if (reply->count == 1) {
        ++answered;
        continue;
      }
      EXPECT_EQ(reply->lastError, IP_REQ_TIMED_OUT) << "tag " << reply->tag;
      EXPECT_EQ(reply->roundTripMicroseconds, -1) << "tag " << reply->tag;
    }
    // Turns at 0, 200 and 400 ms fit in the time-out; a busy machine may
    // take one of them late.
    EXPECT_GE(answered, 1u);
    EXPECT_LE(answered, 3u);
    EXPECT_EQ(watch.Take()[Loopback(1)].size(), answered) << "an echo that timed out while waiting was sent";
    EXPECT_EQ(line.CloseAndWait(), 0);
  });
}

}  // namespace
