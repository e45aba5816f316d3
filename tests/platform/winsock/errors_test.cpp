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

TEST_F(WinsockErrors, AddressFailuresOnBind) {
  sockaddr_in first;
  const SOCKET a = BoundSocket(SOCK_DGRAM, &first);
  const SOCKET b = socket(AF_INET, SOCK_DGRAM, 0);
  EXPECT_EQ(bind(b, AsAddress(&first), sizeof(first)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
  sockaddr_in foreign = Loopback();
  foreign.sin_addr.s_addr = inet_addr("10.1.2.3");  // not an address of this host; no traffic
  EXPECT_EQ(bind(b, AsAddress(&foreign), sizeof(foreign)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRNOTAVAIL);
  EXPECT_EQ(bind(b, AsAddress(&foreign), 8), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  EXPECT_EQ(closesocket(a), 0);
  EXPECT_EQ(closesocket(b), 0);
}

TEST_F(WinsockErrors, StreamFailuresRefusedNotConnectedAndShutdown) {
  sockaddr_in idle;
  const SOCKET listener = BoundSocket(SOCK_STREAM, &idle);  // bound, not listening: refuses
  const SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  char byte = 0;
  EXPECT_EQ(recv(client, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
  EXPECT_EQ(connect(client, AsAddress(&idle), sizeof(idle)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
  EXPECT_EQ(closesocket(client), 0);

  ASSERT_EQ(listen(listener, 1), 0);
  const SOCKET connected = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(connect(connected, AsAddress(&idle), sizeof(idle)), 0);
  const SOCKET served = accept(listener, nullptr, nullptr);
  ASSERT_NE(served, INVALID_SOCKET);
  ASSERT_EQ(shutdown(connected, SD_SEND), 0);
  EXPECT_EQ(send(connected, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
  EXPECT_EQ(recv(served, &byte, 1, 0), 0);  // the peer's end of data
  for (SOCKET s : {listener, connected, served}) EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockErrors, SendToAPeerThatHasClosedIsAResetNotAShutdown) {
  sockaddr_in address;
  const SOCKET listener = BoundSocket(SOCK_STREAM, &address);
  ASSERT_EQ(listen(listener, 1), 0);
  const SOCKET connected = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(connect(connected, AsAddress(&address), sizeof(address)), 0);
  const SOCKET served = accept(listener, nullptr, nullptr);
  ASSERT_NE(served, INVALID_SOCKET);
  ASSERT_EQ(closesocket(served), 0);

  char byte = 0;
  EXPECT_EQ(recv(connected, &byte, 1, 0), 0);  // the peer's end of data
  EXPECT_EQ(send(connected, "x", 1, 0), 1);    // still taken; the closed peer answers with a reset
  WaitUntilHungUp(connected);
  EXPECT_EQ(send(connected, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
  for (SOCKET s : {listener, connected}) EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockErrors, NonBlockingReceiveWouldBlock) {
  sockaddr_in local;
  const SOCKET s = BoundSocket(SOCK_DGRAM, &local);
  u_long on = 1;
  ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
  char buffer[8];
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockErrors, PortUnreachableAnswerIsAResetOnTheDatagramSocket) {
  sockaddr_in gone;
  const SOCKET closedPeer = BoundSocket(SOCK_DGRAM, &gone);
  ASSERT_EQ(closesocket(closedPeer), 0);  // nobody listens on that port now
  sockaddr_in local;
  const SOCKET s = BoundSocket(SOCK_DGRAM, &local);
  ASSERT_EQ(connect(s, AsAddress(&gone), sizeof(gone)), 0);
  ASSERT_EQ(send(s, "ping", 4, 0), 4);
  fd_set set = SetOf(s);
  const timeval wait{5, 0};
  ASSERT_EQ(select(0, &set, nullptr, nullptr, &wait), 1);
  char buffer[8];
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
  EXPECT_EQ(closesocket(s), 0);
}
