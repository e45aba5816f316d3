#include "protocol/blocking_socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "tests/support/posix_sockets.h"
#include "tests/support/udp_peer.h"

namespace {

class BlockingSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    WSASetLastError(0);
  }
  void TearDown() override {
    if (socket_.m_hSocket != 0 && socket_.m_hSocket != INVALID_SOCKET) closesocket(socket_.m_hSocket);
    WSACleanup();
  }

  sockaddr_in PeerAddress() const {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(peer_.Port());
    address.sin_addr.s_addr = peer_.Address();
    return address;
  }

  // Sends one byte so that the socket gets a local port the peer can answer.
  void Introduce() {
    const sockaddr_in address = PeerAddress();
    ASSERT_EQ(socket_.SendDatagram("?", 1, &address, 2), 1);
    ASSERT_TRUE(peer_.Receive().has_value());
  }

  vqtest::UdpPeer peer_;
  CBlockingSocket socket_;
};

// Runs the call and returns the text of the CBlockingSocketException it
// throws, caught as a CException* as the framework's guard does.
template <typename Call>
std::string MessageOf(Call call) {
  try {
    call();
  } catch (CException* e) {
    EXPECT_EQ(e->GetRuntimeClass(), RUNTIME_CLASS(CBlockingSocketException));
    char text[256];
    EXPECT_TRUE(e->GetErrorMessage(text, sizeof(text)));
    e->Delete();
    return text;
  }
  ADD_FAILURE() << "no exception";
  return {};
}

}  // namespace

TEST_F(BlockingSocketTest, RunTimeRecordsAreNotSerialisable) {
  EXPECT_STREQ(RUNTIME_CLASS(CBlockingSocket)->m_lpszClassName, "CBlockingSocket");
  EXPECT_EQ(RUNTIME_CLASS(CBlockingSocket)->m_wSchema, 0xFFFFu);
  EXPECT_EQ(RUNTIME_CLASS(CBlockingSocket)->m_pfnCreateObject, nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CBlockingSocketException)->m_pBaseClass, RUNTIME_CLASS(CException));
  EXPECT_EQ(RUNTIME_CLASS(CBlockingSocketException)->m_wSchema, 0xFFFFu);
  EXPECT_EQ(socket_.m_hSocket, 0u);
}

TEST_F(BlockingSocketTest, DatagramsTravelBothWays) {
  socket_.Create(SOCK_DGRAM);
  const sockaddr_in address = PeerAddress();
  EXPECT_EQ(socket_.SendDatagram("anyt", 4, &address, 2), 4);
  EXPECT_EQ(peer_.Receive(), std::string("anyt"));

  peer_.Reply("reply\x01text");
  char buffer[1024];
  std::memset(buffer, '#', sizeof(buffer));
  sockaddr_in sender{};
  EXPECT_EQ(socket_.ReceiveDatagram(buffer, sizeof(buffer), &sender, 5), 10);
  EXPECT_EQ(std::string(buffer, 11), std::string("reply\x01text#"));  // not terminated
  EXPECT_EQ(ntohs(sender.sin_port), peer_.Port());

  peer_.Reply("");
  EXPECT_EQ(socket_.ReceiveDatagram(buffer, sizeof(buffer), nullptr, 5), 0);
  socket_.Close();
  EXPECT_EQ(socket_.m_hSocket, 0u);
  socket_.Close();  // a second Close does nothing
}

TEST_F(BlockingSocketTest, TooLongDatagramRaisesMessageSizeAndKeepsTheFirstBytes) {
  socket_.Create(SOCK_DGRAM);
  Introduce();
  peer_.Reply("0123456789");
  char buffer[8];
  std::memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(MessageOf([&] { socket_.ReceiveDatagram(buffer, 4, nullptr, 5); }), "ReceiveDatagram error #10040");
  EXPECT_EQ(std::string(buffer, 8), "0123####");
}

// A time-out is no failed call: an error number left by some earlier call
// (5, say, from a refused ICMP socket) must not reach the message.
TEST_F(BlockingSocketTest, SilentServerRaisesNotDetectedWithoutAStaleErrorNumber) {
  socket_.Create(SOCK_DGRAM);
  Introduce();
  char buffer[16];
  EXPECT_EQ(MessageOf([&] { socket_.ReceiveDatagram(buffer, sizeof(buffer), nullptr, 0); }),
            "Veloxa server not detected");

  WSASetLastError(5);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(MessageOf([&] { socket_.ReceiveDatagram(buffer, sizeof(buffer), nullptr, 1); }),
            "Veloxa server not detected");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
  EXPECT_NE(socket_.m_hSocket, 0u);  // a failed transfer changes nothing
}

// A stream socket whose peer reads nothing stops being writable once the
// buffers between them are full.
TEST_F(BlockingSocketTest, SendTimeoutCarriesNoStaleErrorNumber) {
  const vqtest::LoopbackStreamPair pair = vqtest::ConnectLoopbackStreams();
  socket_.m_hSocket = vqtest::AdoptAsSocket(pair.client);
  const SOCKET served = vqtest::AdoptAsSocket(pair.server);
  const sockaddr_in address = PeerAddress();
  u_long nonBlocking = 1;
  ASSERT_EQ(ioctlsocket(socket_.m_hSocket, FIONBIO, &nonBlocking), 0);
  const std::string block(65536, 'f');
  while (send(socket_.m_hSocket, block.data(), static_cast<int>(block.size()), 0) != SOCKET_ERROR) {
  }
  ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  WSASetLastError(5);
  EXPECT_EQ(MessageOf([&] { socket_.SendDatagram("x", 1, &address, 0); }), "Send timeout");
  closesocket(served);
}

TEST_F(BlockingSocketTest, FailedCreateLeavesTheInvalidHandleForCloseToReject) {
  EXPECT_EQ(MessageOf([&] { socket_.Create(99); }), "Create error #10044");
  EXPECT_EQ(socket_.m_hSocket, INVALID_SOCKET);
  EXPECT_EQ(MessageOf([&] { socket_.Close(); }), "Close error #10038");
  EXPECT_EQ(socket_.m_hSocket, INVALID_SOCKET);
}

TEST_F(BlockingSocketTest, SendToAnUnusableAddressRaisesSendDatagram) {
  socket_.Create(SOCK_DGRAM);
  sockaddr_in address = PeerAddress();
  address.sin_family = 23;
  EXPECT_EQ(MessageOf([&] { socket_.SendDatagram("x", 1, &address, 2); }), "SendDatagram error #10047");
}

TEST(BlockingSocketException, GetErrorMessageBoundsTheTextToTheBuffer) {
  WSASetLastError(-5);
  CBlockingSocketException* e = new CBlockingSocketException("Close");
  WSASetLastError(0);
  EXPECT_EQ(e->m_nError, -5);
  EXPECT_STREQ(static_cast<LPCSTR>(e->m_strMessage), "Close");

  char text[32];
  std::memset(text, 'x', sizeof(text));
  UINT help = 77;
  EXPECT_TRUE(e->GetErrorMessage(text, 1, &help));
  EXPECT_EQ(text[0], '\0');
  EXPECT_EQ(text[1], 'x');  // nothing beyond the given size
  EXPECT_EQ(help, 77u);     // no help context written

  std::memset(text, 'x', sizeof(text));
  EXPECT_TRUE(e->GetErrorMessage(text, 8));
  EXPECT_STREQ(text, "Close e");
  const std::string full = "Close error #-5";
  std::memset(text, 'x', sizeof(text));
  EXPECT_TRUE(e->GetErrorMessage(text, static_cast<UINT>(full.size() + 1)));
  EXPECT_EQ(text, full);
  EXPECT_EQ(text[full.size() + 1], 'x');

  std::memset(text, 'x', sizeof(text));
  EXPECT_TRUE(e->GetErrorMessage(text, sizeof(text)));
  EXPECT_EQ(text, full);
  EXPECT_EQ(text[sizeof(text) - 2], '\0');  // the rest is zero-filled
  e->Delete();
}

TEST(BlockingSocketException, OverlongTextIsCutToTheWorkArea) {
  WSASetLastError(10054);
  const std::string longText(300, 'm');
  CBlockingSocketException e(longText.c_str());
  WSASetLastError(0);
  char text[512];
  EXPECT_TRUE(e.GetErrorMessage(text, sizeof(text)));
  EXPECT_EQ(std::string(text), std::string(199, 'm'));
}

TEST(BlockingSocketException, ThrownPointerIsCaughtAsCObjectToo) {
  WSASetLastError(0);
  try {
    throw new CBlockingSocketException("Send timeout");
  } catch (CObject* caught) {
    auto* e = static_cast<CException*>(caught);
    char text[64];
    e->GetErrorMessage(text, sizeof(text));
    EXPECT_STREQ(text, "Send timeout");
    e->Delete();
  }
}
