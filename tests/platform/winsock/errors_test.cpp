// Failures of real sockets reach callers as the library's error numbers.
#include <poll.h>

#include "platform/kernel/handle_table.h"
#include "tests/platform/winsock/winsock_fixture.h"

namespace {

class WinsockErrors : public WinsockTest {};

// Waits until the connection behind the handle is gone for good (the
// peer's reset has arrived).
void WaitUntilHungUp(SOCKET s) {
  pollfd item{kernel::DescriptorOf(s), 0, 0};
  ASSERT_EQ(::poll(&item, 1, 10000), 1);
  EXPECT_NE(item.revents & POLLHUP, 0);
}

}  // namespace

TEST_F(WinsockErrors, SocketCreationFailuresNameTheCause) {
  EXPECT_EQ(socket(AF_INET, 99, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAESOCKTNOSUPPORT);
  EXPECT_EQ(socket(23, SOCK_DGRAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, IPPROTO_TCP), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEPROTONOSUPPORT);
}

TEST_F(WinsockErrors, HandlesThatAreNotSocketsGiveNotASocket) {
  EXPECT_EQ(closesocket(INVALID_SOCKET), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_EQ(closesocket(s), 0);
  char byte = 0;
  EXPECT_EQ(send(s, &byte, 1, 0), SOCKET_ERROR);  // closed already
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(WinsockErrors, StreamFailuresNotConnectedAndShutdown) {
  const SOCKET unconnected = socket(AF_INET, SOCK_STREAM, 0);
  char byte = 0;
  EXPECT_EQ(recv(unconnected, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
  EXPECT_EQ(closesocket(unconnected), 0);

  const auto [connected, served] = ConnectedStreams();
  ASSERT_EQ(shutdown(connected, SD_SEND), 0);
  EXPECT_EQ(send(connected, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
  EXPECT_EQ(recv(served, &byte, 1, 0), 0);  // the peer's end of data
  for (SOCKET s : {connected, served}) EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockErrors, SendToAPeerThatHasClosedIsAResetNotAShutdown) {
  const auto [connected, served] = ConnectedStreams();
  ASSERT_EQ(closesocket(served), 0);

  char byte = 0;
  EXPECT_EQ(recv(connected, &byte, 1, 0), 0);  // the peer's end of data
  EXPECT_EQ(send(connected, "x", 1, 0), 1);    // still taken; the closed peer answers with a reset
  WaitUntilHungUp(connected);
  EXPECT_EQ(send(connected, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
  EXPECT_EQ(closesocket(connected), 0);
}

TEST_F(WinsockErrors, NonBlockingReceiveWouldBlock) {
  sockaddr_in local;
  const SOCKET s = BoundSocket(&local);
  u_long on = 1;
  ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
  char buffer[8];
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockErrors, PortUnreachableAnswerIsAResetOnTheDatagramSocket) {
  sockaddr_in gone;
  const SOCKET closedPeer = BoundSocket(&gone);
  ASSERT_EQ(closesocket(closedPeer), 0);  // nobody listens on that port now
  sockaddr_in local;
  const SOCKET s = BoundSocket(&local);
  vqtest::ConnectToLoopback(s, ntohs(gone.sin_port));  // only a connected socket hears the answer
  ASSERT_EQ(send(s, "ping", 4, 0), 4);
  fd_set set = SetOf(s);
  const timeval wait{5, 0};
  ASSERT_EQ(select(0, &set, nullptr, nullptr, &wait), 1);
  char buffer[8];
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
  EXPECT_EQ(closesocket(s), 0);
}
