#include <string>

#include "tests/platform/winsock/winsock_fixture.h"

namespace {

class WinsockTransfer : public WinsockTest {};

}  // namespace

TEST_F(WinsockTransfer, DatagramRoundTripReportsTheSender) {
  sockaddr_in aAddress, bAddress;
  const SOCKET a = BoundSocket(SOCK_DGRAM, &aAddress);
  const SOCKET b = BoundSocket(SOCK_DGRAM, &bAddress);
  ASSERT_EQ(sendto(a, "hello", 5, 0, AsAddress(&bAddress), sizeof(bAddress)), 5);
  char buffer[16] = {};
  sockaddr_in from{};
  int fromLength = sizeof(from);
  EXPECT_EQ(recvfrom(b, buffer, sizeof(buffer), 0, AsAddress(&from), &fromLength), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(fromLength, 16);
  EXPECT_EQ(from.sin_family, AF_INET);
  EXPECT_EQ(from.sin_port, aAddress.sin_port);
  EXPECT_EQ(from.sin_addr.s_addr, inet_addr("127.0.0.1"));
  EXPECT_EQ(closesocket(a), 0);
  EXPECT_EQ(closesocket(b), 0);
}

TEST_F(WinsockTransfer, LongDatagramFailsWithMessageSizeAndKeepsTheFirstBytes) {
  sockaddr_in aAddress, bAddress;
  const SOCKET a = BoundSocket(SOCK_DGRAM, &aAddress);
  const SOCKET b = BoundSocket(SOCK_DGRAM, &bAddress);
  const std::string datagram = "0123456789abcdef";
  ASSERT_EQ(sendto(a, datagram.data(), 16, 0, AsAddress(&bAddress), sizeof(bAddress)), 16);
  char buffer[8] = {};
  sockaddr_in from{};
  int fromLength = sizeof(from);
  EXPECT_EQ(recvfrom(b, buffer, 6, 0, AsAddress(&from), &fromLength), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
  EXPECT_EQ(std::string(buffer, 8), std::string("012345\0\0", 8));
  EXPECT_EQ(from.sin_port, aAddress.sin_port);
  EXPECT_EQ(closesocket(a), 0);
  EXPECT_EQ(closesocket(b), 0);
}

TEST_F(WinsockTransfer, ReceiveOnAnUnboundDatagramSocketIsInvalidNotAHang) {
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  char buffer[4];
  EXPECT_EQ(recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  int length = sizeof(sockaddr_in);
  sockaddr_in name{};
  EXPECT_EQ(getsockname(s, AsAddress(&name), &length), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockTransfer, StreamConnectionCarriesDataBothWays) {
  sockaddr_in listenAddress;
  const SOCKET listener = BoundSocket(SOCK_STREAM, &listenAddress);
  ASSERT_EQ(listen(listener, 1), 0);
  const SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(connect(client, AsAddress(&listenAddress), sizeof(listenAddress)), 0);
  sockaddr_in peer{};
  int peerLength = sizeof(peer);
  const SOCKET served = accept(listener, AsAddress(&peer), &peerLength);
  ASSERT_NE(served, INVALID_SOCKET);
  sockaddr_in clientName{};
  int nameLength = sizeof(clientName);
  ASSERT_EQ(getsockname(client, AsAddress(&clientName), &nameLength), 0);
  EXPECT_EQ(peer.sin_port, clientName.sin_port);
  const std::string big(200000, 'q');  // larger than one socket buffer: sent whole
  EXPECT_EQ(send(client, big.data(), static_cast<int>(big.size()), 0), static_cast<int>(big.size()));
  ASSERT_EQ(shutdown(client, SD_SEND), 0);
  std::string received;
  char buffer[4096];
  for (int n; (n = recv(served, buffer, sizeof(buffer), 0)) > 0;) received.append(buffer, static_cast<size_t>(n));
  EXPECT_EQ(received, big);
  int nodelay = 1;
  EXPECT_EQ(setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&nodelay), sizeof(nodelay)), 0);
  int type = 0, typeLength = sizeof(type);
  EXPECT_EQ(getsockopt(client, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &typeLength), 0);
  EXPECT_EQ(type, SOCK_STREAM);
  for (SOCKET s : {listener, client, served}) EXPECT_EQ(closesocket(s), 0);
}
