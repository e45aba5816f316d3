#include <chrono>
#include <string>

#include "platform/kernel/blocking_hook.h"
#include "tests/platform/winsock/winsock_fixture.h"

namespace {

int g_hookCalls = 0;
SOCKET g_hookSender = INVALID_SOCKET;
sockaddr_in g_hookTarget;

BOOL CountingHook() {
  ++g_hookCalls;
  return FALSE;
}

// Sends the datagram that the blocked receive is waiting for.
BOOL SendingHook() {
  if (g_hookCalls++ == 0) {
    sendto(g_hookSender, "late", 4, 0, reinterpret_cast<sockaddr*>(&g_hookTarget), sizeof(g_hookTarget));
  }
  return TRUE;
}

class WinsockSelect : public WinsockTest {
 protected:
  void SetUp() override {
    WinsockTest::SetUp();
    g_hookCalls = 0;
    a = BoundSocket(&aAddress);
    b = BoundSocket(&bAddress);
  }
  void TearDown() override {
    kernel::SetBlockingHook(nullptr);
    EXPECT_EQ(closesocket(a), 0);
    EXPECT_EQ(closesocket(b), 0);
    WinsockTest::TearDown();
  }
  void SendToB(const std::string& bytes) {
    ASSERT_EQ(sendto(a, bytes.data(), static_cast<int>(bytes.size()), 0, AsAddress(&bAddress), sizeof(bAddress)),
              static_cast<int>(bytes.size()));
  }

  SOCKET a = INVALID_SOCKET, b = INVALID_SOCKET;
  sockaddr_in aAddress{}, bAddress{};
};

}  // namespace

TEST_F(WinsockSelect, ZeroWaitPollsOnceWithoutTheHook) {
  kernel::SetBlockingHook(&CountingHook);
  fd_set set = SetOf(b);
  const timeval zero{0, 0};
  EXPECT_EQ(select(0, &set, nullptr, nullptr, &zero), 0);
  EXPECT_EQ(set.fd_count, 0u);
  EXPECT_EQ(g_hookCalls, 0);
}

TEST_F(WinsockSelect, LongerWaitRunsTheHookBetweenSlicesAndTimesOut) {
  kernel::SetBlockingHook(&CountingHook);
  fd_set set = SetOf(b);
  const timeval wait{0, 200000};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(select(0, &set, nullptr, nullptr, &wait), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
  EXPECT_GT(g_hookCalls, 1);
}

TEST_F(WinsockSelect, RewritesTheSetsToTheReadyHandles) {
  SendToB("data");
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(a, &readable);
  FD_SET(b, &readable);
  FD_SET(b, &readable);  // already there: not added twice
  ASSERT_EQ(readable.fd_count, 2u);
  fd_set writable = SetOf(a);
  const timeval wait{5, 0};
  EXPECT_EQ(select(0, &readable, &writable, nullptr, &wait), 2);
  ASSERT_EQ(readable.fd_count, 1u);
  EXPECT_EQ(readable.fd_array[0], b);
  EXPECT_FALSE(FD_ISSET(a, &readable));
  EXPECT_TRUE(FD_ISSET(b, &readable));
  EXPECT_TRUE(FD_ISSET(a, &writable));
}

TEST_F(WinsockSelect, RejectsInvalidHandlesAndEmptyRequests) {
  fd_set set = SetOf(b);
  FD_SET(0x7777770u, &set);
  const timeval zero{0, 0};
  EXPECT_EQ(select(0, &set, nullptr, nullptr, &zero), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(select(0, static_cast<fd_set*>(nullptr), nullptr, nullptr, &zero), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
}

TEST_F(WinsockSelect, BlockingReceiveWaitsWithTheHookUntilDataArrives) {
  g_hookSender = a;
  g_hookTarget = bAddress;
  kernel::SetBlockingHook(&SendingHook);
  char buffer[16] = {};
  EXPECT_EQ(recv(b, buffer, sizeof(buffer), 0), 4);
  EXPECT_EQ(std::string(buffer, 4), "late");
  EXPECT_GE(g_hookCalls, 1);
}
