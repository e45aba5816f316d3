// Transfers of the socket class where the test needs the platform's seams:
// stand-in send and select (the module seam), the handle table and poll.
#include <gtest/gtest.h>
#include <poll.h>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/modules.h"
#include "tests/net/net_test_support.h"
#include "tests/support/platform_seams/handle_count.h"
#include "tests/support/platform_seams/module_override.h"

namespace {

using FileSocketTransfer = SocketTableTest;

// The peer's reset after its close makes a later send fail with EPIPE; the
// socket keeps its handle, and Close releases it.
TEST_F(FileSocketTransfer, WriteToAPeerThatHasClosedKeepsTheHandleForClose) {
  const int handlesBefore = vqtest::LiveHandleCount();
  {
    TestSocket s;
    LoopbackPair pair;
    s.SetSocket(pair.TakeClient());
    pair.ClosePeer();
    char byte = 0;
    ASSERT_EQ(recv(s.GetSocket(), &byte, 1, 0), 0);  // the peer's end of data
    s.Write("x", 1);                                 // still taken; the peer answers with a reset
    pollfd item{kernel::DescriptorOf(s.GetSocket()), 0, 0};
    ASSERT_EQ(::poll(&item, 1, 10000), 1);
    s.Write("x", 1);
    EXPECT_EQ(s.m_dwErrorCode, static_cast<DWORD>(WSAECONNRESET));
    EXPECT_FALSE(s.IsClosed());
    const SOCKET handle = s.GetSocket();
    s.Close();
    EXPECT_EQ(closesocket(handle), SOCKET_ERROR);  // released by Close
  }
  EXPECT_EQ(vqtest::LiveHandleCount(), handlesBefore);
}

// Stand-in send that fails with a chosen error and counts its calls.
int g_sendCalls = 0;
int g_sendError = 0;
int FailingSend(SOCKET /*s*/, const char* /*buf*/, int /*len*/, int /*flags*/) {
  ++g_sendCalls;
  winsock::WSASetLastError(g_sendError);
  return SOCKET_ERROR;
}

TEST_F(FileSocketTransfer, WriteRetriesShortBuffersAndDropsLostConnections) {
  vqtest::ScopedModuleOverride standIn("ws2_32.dll", vqtest::WithExport(vqtest::BuiltinExports("ws2_32.dll"), "send",
                                                                        kernel::AsFarProc(&FailingSend)));
  TestSocket s;
  LoopbackPair pair;
  s.SetSocket(pair.TakeClient());

  g_sendCalls = 0;
  g_sendError = WSAENOBUFS;
  s.Write("abc", 3);
  EXPECT_EQ(g_sendCalls, 100);
  EXPECT_EQ(s.m_dwErrorCode, static_cast<DWORD>(WSAENOBUFS));
  EXPECT_FALSE(s.IsClosed());

  g_sendCalls = 0;
  g_sendError = WSAECONNRESET;  // any other error: give up at once
  s.Write("abc", 3);
  EXPECT_EQ(g_sendCalls, 1);
  EXPECT_FALSE(s.IsClosed());

  g_sendCalls = 0;
  g_sendError = WSAENOTCONN;
  const SOCKET handle = s.GetSocket();
  s.Write("abc", 3);
  EXPECT_EQ(g_sendCalls, 1);
  EXPECT_EQ(s.m_dwErrorCode, static_cast<DWORD>(WSAENOTCONN));
  EXPECT_TRUE(s.IsClosed());
  EXPECT_EQ(s.m_hFile, CFile::hFileNull);
  EXPECT_EQ(closesocket(handle), 0);  // dropped, not closed
}

int g_selectCalls = 0;
int CountingSelect(int /*nfds*/, fd_set* /*readfds*/, fd_set* /*writefds*/, fd_set* /*exceptfds*/,
                   const timeval* /*timeout*/) {
  return ++g_selectCalls, SOCKET_ERROR;
}

TEST_F(FileSocketTransfer, IsDataWaitingPollsOnlyWithASocketAndRecordsPollFailures) {
  vqtest::ScopedModuleOverride standIn("ws2_32.dll", vqtest::WithExport(vqtest::BuiltinExports("ws2_32.dll"), "select",
                                                                        kernel::AsFarProc(&CountingSelect)));
  TestSocket s;
  LoopbackPair pair;
  g_selectCalls = 0;
  EXPECT_FALSE(s.IsDataWaiting());
  EXPECT_EQ(g_selectCalls, 0);
  s.SetSocket(pair.TakeClient());
  winsock::WSASetLastError(WSAENETDOWN);
  EXPECT_FALSE(s.IsDataWaiting());
  EXPECT_EQ(g_selectCalls, 1);
  EXPECT_EQ(s.m_dwErrorCode, static_cast<DWORD>(WSAENETDOWN));
  pair.ClosePeer();
}

}  // namespace
