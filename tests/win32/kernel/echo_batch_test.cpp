#include "platform/icmpapi/echo_batch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

namespace {

constexpr char kPayload[] = "echo payload of the batch";
constexpr WORD kPayloadSize = sizeof kPayload - 1;

IPAddr Loopback(int last) { return htonl(0x7f000000u | static_cast<u_long>(last)); }

class EchoBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &m_data), 0);
    icmpapi::OpenFailureInfo failure;
    m_batch = icmpapi::EchoBatch::Open(failure);
    ASSERT_NE(m_batch, nullptr) << icmpapi::OpenFailureAdvice(failure);
  }
  void TearDown() override {
    m_batch.reset();
    ::WSACleanup();
  }

  // Every outcome of what is in flight, by tag.
  std::multimap<std::size_t, icmpapi::EchoOutcome> WaitForAll() {
    std::multimap<std::size_t, icmpapi::EchoOutcome> outcomes;
    while (m_batch->InFlight() > 0) {
      for (const icmpapi::EchoOutcome& outcome : m_batch->Wait(10000)) outcomes.emplace(outcome.tag, outcome);
    }
    return outcomes;
  }

  WSADATA m_data{};
  std::unique_ptr<icmpapi::EchoBatch> m_batch;
};

TEST_F(EchoBatchTest, ManyLoopbackEchoesEachEndOnceWithTheirReply) {
  constexpr int kEchoes = 40;
  for (int i = 0; i < kEchoes; ++i) m_batch->Start(i, Loopback(i + 1), kPayload, kPayloadSize, 5000);
  EXPECT_EQ(m_batch->InFlight(), static_cast<std::size_t>(kEchoes));
  const auto outcomes = WaitForAll();
  ASSERT_EQ(outcomes.size(), static_cast<std::size_t>(kEchoes));
  if (outcomes.find(0)->second.status != IP_SUCCESS && std::getenv("VQ_WINE_NETNS") == nullptr) {
    GTEST_SKIP() << "ICMP echoes are not permitted here (status " << outcomes.find(0)->second.status
                 << "); scripts/windows runs this test as root in a network namespace";
  }
  for (int i = 0; i < kEchoes; ++i) {
    ASSERT_EQ(outcomes.count(i), 1u) << i;
    const icmpapi::EchoOutcome& outcome = outcomes.find(i)->second;
    EXPECT_EQ(outcome.status, IP_SUCCESS) << i;
    EXPECT_EQ(outcome.replyAddress, Loopback(i + 1)) << i;
    EXPECT_GE(outcome.roundTripMicroseconds, 0) << i;
  }
  EXPECT_EQ(m_batch->InFlight(), 0u);
}

TEST_F(EchoBatchTest, ReadySocketEndsTheWaitBesideEchoes) {
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  ASSERT_NE(s, INVALID_SOCKET);
  sockaddr_in self{};
  self.sin_family = AF_INET;
  self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof self;
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self), 0);
  ASSERT_EQ(::getsockname(s, reinterpret_cast<sockaddr*>(&self), &length), 0);
  const char byte = 'x';
  ASSERT_EQ(::sendto(s, &byte, 1, 0, reinterpret_cast<sockaddr*>(&self), sizeof self), 1);

  m_batch->Start(7, Loopback(1), kPayload, kPayloadSize, 5000);
  // The socket stays readable (nothing reads it), so every wait ends at
  // once with it, until the echo has ended too.
  std::vector<kernel::WaitHandle> sockets;
  std::vector<icmpapi::EchoOutcome> outcomes;
  while (outcomes.empty()) {
    sockets = {s};
    for (const icmpapi::EchoOutcome& outcome : m_batch->WaitWithSockets(5000, sockets)) outcomes.push_back(outcome);
    ASSERT_FALSE(sockets.empty() && outcomes.empty());
  }
  EXPECT_EQ(sockets, std::vector<kernel::WaitHandle>{s});
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes.front().tag, 7u);
  ::closesocket(s);
}

// The batch goes while its echoes fly (a run that was interrupted): the
// caller is not held, and the echoes that end afterwards harm nothing.
TEST_F(EchoBatchTest, BatchThatGoesWithEchoesInFlightLeavesThemBehind) {
  for (int i = 0; i < 20; ++i) m_batch->Start(i, Loopback(i + 1), kPayload, kPayloadSize, 5000);
  m_batch.reset();
  icmpapi::OpenFailureInfo failure;
  m_batch = icmpapi::EchoBatch::Open(failure);
  ASSERT_NE(m_batch, nullptr);
  m_batch->Start(99, Loopback(1), kPayload, kPayloadSize, 5000);
  const auto outcomes = WaitForAll();
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes.begin()->first, 99u);
}

TEST_F(EchoBatchTest, NothingInFlightReturnsAtOnce) { EXPECT_TRUE(m_batch->Wait(-1).empty()); }

}  // namespace
