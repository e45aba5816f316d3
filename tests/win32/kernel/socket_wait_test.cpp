#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/handle_wait.h"
#include "platform/kernel/wake_event.h"
#include "platform/kernel/windef.h"

namespace {

class SocketWaitTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &m_data), 0); }
  void TearDown() override {
    for (const SOCKET s : m_sockets) ::closesocket(s);
    ::WSACleanup();
  }

  // A datagram socket on an ephemeral loopback port; its address in `self`.
  SOCKET BoundSocket(sockaddr_in& self) {
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_NE(s, INVALID_SOCKET);
    m_sockets.push_back(s);
    self = {};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof self;
    EXPECT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self), 0);
    EXPECT_EQ(::getsockname(s, reinterpret_cast<sockaddr*>(&self), &length), 0);
    return s;
  }

  WSADATA m_data{};
  std::vector<SOCKET> m_sockets;
};

int g_hookCalls = 0;

BOOL CancellingHook() {
  if (++g_hookCalls == 3) kernel::CancelBlockingCall();
  return FALSE;
}

TEST_F(SocketWaitTest, WakeEventReadsAsReadyFromSetUntilReset) {
  kernel::WakeEvent wake;
  ASSERT_NE(wake.Handle(), kernel::kNoHandle);
  std::vector<kernel::WaitHandle> handles{wake.Handle()};
  EXPECT_EQ(kernel::WaitForReadable(handles, 0), 0);
  EXPECT_TRUE(handles.empty());

  wake.Set();
  wake.Set();  // a second set is no second event
  handles = {wake.Handle()};
  EXPECT_EQ(kernel::WaitForReadable(handles, -1), 1);
  EXPECT_EQ(handles, std::vector<kernel::WaitHandle>{wake.Handle()});

  wake.Reset();
  handles = {wake.Handle()};
  EXPECT_EQ(kernel::WaitForReadable(handles, 0), 0);
}

TEST_F(SocketWaitTest, LeavesOnlyTheReadySocketsInTheirOrder) {
  sockaddr_in first{};
  sockaddr_in second{};
  sockaddr_in third{};
  const SOCKET a = BoundSocket(first);
  const SOCKET b = BoundSocket(second);
  const SOCKET c = BoundSocket(third);
  const char byte = 'x';
  ASSERT_EQ(::sendto(a, &byte, 1, 0, reinterpret_cast<sockaddr*>(&third), sizeof third), 1);
  ASSERT_EQ(::sendto(a, &byte, 1, 0, reinterpret_cast<sockaddr*>(&first), sizeof first), 1);

  std::vector<kernel::WaitHandle> handles{c, b, a};
  std::vector<kernel::WaitHandle> ready;
  // Both datagrams may not have arrived by the first wait: wait until both have.
  while (ready.size() < 2) {
    handles = {c, b, a};
    ASSERT_GT(kernel::WaitForReadable(handles, 5000), 0);
    ready = handles;
  }
  EXPECT_EQ(ready, (std::vector<kernel::WaitHandle>{c, a}));
}

TEST_F(SocketWaitTest, MoreSocketsThanTheDefaultSetHolds) {
  std::vector<kernel::WaitHandle> handles;
  sockaddr_in last{};
  for (int i = 0; i < FD_SETSIZE + 10; ++i) handles.push_back(BoundSocket(last));
  const char byte = 'x';
  ASSERT_EQ(::sendto(m_sockets.front(), &byte, 1, 0, reinterpret_cast<sockaddr*>(&last), sizeof last), 1);
  ASSERT_EQ(kernel::WaitForReadable(handles, 5000), 1);
  EXPECT_EQ(handles, std::vector<kernel::WaitHandle>{m_sockets.back()});
}

TEST_F(SocketWaitTest, HandleThatIsNoSocketFailsWithEbadf) {
  std::vector<kernel::WaitHandle> handles{0x1234};
  errno = 0;
  EXPECT_EQ(kernel::WaitForReadable(handles, 0), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST_F(SocketWaitTest, BlockingHookRunsBetweenSlicesAndItsCancelEndsTheWait) {
  sockaddr_in self{};
  std::vector<kernel::WaitHandle> handles{BoundSocket(self)};
  g_hookCalls = 0;
  const BLOCKINGHOOKPROC previous = kernel::SetBlockingHook(&CancellingHook);
  errno = 0;
  const int result = kernel::WaitForReadable(handles, -1);
  kernel::SetBlockingHook(previous);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(errno, EINTR);
  EXPECT_EQ(g_hookCalls, 3);
}

TEST_F(SocketWaitTest, NothingToWaitForReturnsAtOnce) {
  std::vector<kernel::WaitHandle> none;
  EXPECT_EQ(kernel::WaitForReadable(none, -1), 0);
}

}  // namespace
