#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/framework/byte_array.h"
#include "tests/net/net_test_support.h"

namespace {

using FileSocketTransfer = SocketTableTest;

TEST_F(FileSocketTransfer, ReadLineStopsAtTerminatorNulOrPeerClose) {
  TestSocket s;  // destroyed last, so its closing drain sees the peer gone
  LoopbackPair pair;
  s.SetSocket(pair.TakeClient());
  EXPECT_EQ(s.m_hFile, static_cast<UINT>(s.GetSocket()));
  const char input[] = "hello\na;bcd\0ef";
  pair.PeerSend(input, sizeof(input) - 1);

  CString line;
  s.ReadLine(line);
  EXPECT_EQ(line, "hello\n");
  s.SetTerminator(';');
  s.ReadLine(line);
  EXPECT_EQ(line, "a;");
  s.ReadLine(line);
  EXPECT_EQ(line, "bcd");  // the NUL ends the line and is not kept
  pair.ClosePeer();
  s.ReadLine(line);
  EXPECT_EQ(line, "ef");
  EXPECT_FALSE(s.IsClosed());  // unlike Read, ReadLine leaves the socket open
  EXPECT_EQ(s.m_dwErrorCode, 0u);
}

TEST_F(FileSocketTransfer, ReadReturnsWhatArrivedAndClosesWhenThePeerHasClosed) {
  TestSocket s;
  LoopbackPair pair;
  char buffer[16];
  EXPECT_EQ(s.Read(buffer, sizeof(buffer)), 0);  // no socket: nothing, no error
  EXPECT_EQ(s.m_dwErrorCode, 0u);
  s.SetSocket(pair.TakeClient());

  EXPECT_FALSE(s.IsDataWaiting());
  pair.PeerSend("abc", 3);
  WaitReadable(s.GetSocket());
  EXPECT_TRUE(s.IsDataWaiting());
  std::memset(buffer, 'x', sizeof(buffer));
  EXPECT_EQ(s.Read(buffer, sizeof(buffer)), 3);
  EXPECT_STREQ(buffer, "abc");  // the rest of the buffer is zeroed
  EXPECT_EQ(s.Read(buffer, 0), 0);
  EXPECT_FALSE(s.IsClosed());

  EXPECT_EQ(s.Read(nullptr, 4), 0);
  EXPECT_EQ(s.m_dwErrorCode, 87u);
  pair.ClosePeer();
  EXPECT_EQ(s.Read(buffer, sizeof(buffer)), 0);
  EXPECT_TRUE(s.IsClosed());
  EXPECT_EQ(s.m_hFile, CFile::hFileNull);
  EXPECT_FALSE(s.IsDataWaiting());
}

TEST_F(FileSocketTransfer, WriteSendsBytesAndTheStringFormItsNul) {
  TestSocket s;
  LoopbackPair pair;
  s.Write("abc", 3);
  EXPECT_EQ(s.m_dwErrorCode, 6u);  // no socket
  s.SetSocket(pair.TakeClient());
  s.Write(nullptr, 3);
  EXPECT_EQ(s.m_dwErrorCode, 87u);

  s.Write("xy", 2);
  s.Write(CString("abc"));
  char received[6] = {};
  ASSERT_EQ(pair.PeerReceive(received, 6), 6);
  EXPECT_EQ(std::string(received, 6), std::string("xyabc\0", 6));
}

TEST_F(FileSocketTransfer, CloseShutsDownDrainsAndReleasesTheHandle) {
  TestSocket s;
  LoopbackPair pair;
  s.SetSocket(pair.TakeClient());
  const SOCKET handle = s.GetSocket();
  // The peer reads until our side shuts down, sends a last word and closes.
  std::thread peer([&pair] {
    char byte;
    while (recv(pair.Peer(), &byte, 1, 0) > 0) {
    }
    send(pair.Peer(), "bye", 3, 0);
    pair.ClosePeer();
  });
  s.Write("data", 4);
  s.Abort();  // the socket Close, through the virtual table
  peer.join();
  EXPECT_TRUE(s.IsClosed());
  EXPECT_EQ(s.m_hFile, CFile::hFileNull);
  EXPECT_EQ(closesocket(handle), SOCKET_ERROR);  // already released
}

// The drain before the close is bounded: 64 KiB, far less than this peer
// would send, after which the close cuts the connection.
TEST_F(FileSocketTransfer, CloseStopsDrainingAPeerThatKeepsSending) {
  TestSocket s;
  LoopbackPair pair;
  s.SetSocket(pair.TakeClient());
  constexpr long long kPeerLimit = 64LL << 20;  // beyond what socket buffers hold
  std::atomic<long long> sent{0};
  std::atomic<int> peerError{0};
  std::thread peer([&] {
    const std::vector<char> block(65536, 'p');
    while (sent < kPeerLimit) {
      const int n = send(pair.Peer(), block.data(), static_cast<int>(block.size()), 0);
      if (n == SOCKET_ERROR) {
        peerError = WSAGetLastError();
        return;
      }
      sent += n;
    }
    pair.ClosePeer();  // all sent: an unbounded drain ends here
  });
  WaitReadable(s.GetSocket());
  s.Close();
  peer.join();
  EXPECT_TRUE(s.IsClosed());
  EXPECT_LT(sent.load(), kPeerLimit) << "Close drained all the peer sent";
  EXPECT_EQ(peerError.load(), WSAECONNRESET);
}

TEST_F(FileSocketTransfer, CloseGivesUpOnAPeerThatStaysOpenInSilence) {
  TestSocket s;
  LoopbackPair pair;
  s.SetSocket(pair.TakeClient());
  std::mutex mutex;
  std::condition_variable changed;
  bool closed = false;
  bool peerGaveUp = false;
  // Only a guard, so that a Close that waits for the peer fails the test
  // rather than hanging it: the silent peer closes after a long while.
  std::thread guard([&] {
    std::unique_lock lock(mutex);
    if (!changed.wait_for(lock, std::chrono::seconds(30), [&] { return closed; })) {
      peerGaveUp = true;
      pair.ClosePeer();
    }
  });
  s.Close();
  {
    std::lock_guard lock(mutex);
    closed = true;
  }
  changed.notify_one();
  guard.join();
  EXPECT_FALSE(peerGaveUp) << "Close waited until the peer closed";
  EXPECT_TRUE(s.IsClosed());
}

TEST_F(FileSocketTransfer, SetSocketClosesTheHandleItHeld) {
  TestSocket s;
  LoopbackPair first;
  LoopbackPair second;
  s.SetSocket(first.TakeClient());
  const SOCKET old = s.GetSocket();
  first.ClosePeer();
  s.SetSocket(second.TakeClient());
  EXPECT_NE(s.GetSocket(), old);
  EXPECT_EQ(closesocket(old), SOCKET_ERROR);
}

TEST_F(FileSocketTransfer, TransmitFileFailsWithoutTouchingTheErrorCode) {
  TestSocket s;
  LoopbackPair pair;
  s.SetSocket(pair.TakeClient());
  CByteArray head;
  head.SetSize(1);
  head.GetData()[0] = 'h';
  s.m_dwErrorCode = 1234;
  EXPECT_FALSE(s.TransmitFile(&s, 0, &head, nullptr));
  EXPECT_FALSE(s.TransmitFile(nullptr, 0, nullptr, &head));
  EXPECT_EQ(s.m_dwErrorCode, 1234u);
  pair.ClosePeer();
}

}  // namespace
