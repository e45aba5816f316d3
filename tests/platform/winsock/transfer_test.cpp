#include <string>

#include "tests/platform/winsock/winsock_fixture.h"

namespace {

class WinsockTransfer : public WinsockTest {};

}  // namespace

TEST_F(WinsockTransfer, DatagramRoundTripReportsTheSender) {
  sockaddr_in aAddress{};
  sockaddr_in bAddress{};
  const SOCKET a = BoundSocket(&aAddress);
  const SOCKET b = BoundSocket(&bAddress);
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
  sockaddr_in aAddress{};
  sockaddr_in bAddress{};
  const SOCKET a = BoundSocket(&aAddress);
  const SOCKET b = BoundSocket(&bAddress);
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
  EXPECT_EQ(closesocket(s), 0);
}

// A connection made outside the library is served as a stream: a send
// returns only when everything is queued.
TEST_F(WinsockTransfer, StreamConnectionCarriesDataBothWays) {
  const auto [client, served] = ConnectedStreams();
  const std::string big(200000, 'q');  // larger than one socket buffer: sent whole
  EXPECT_EQ(send(client, big.data(), static_cast<int>(big.size()), 0), static_cast<int>(big.size()));
  ASSERT_EQ(shutdown(client, SD_SEND), 0);
  std::string received;
  char buffer[4096];
  for (int n; (n = recv(served, buffer, sizeof(buffer), 0)) > 0;) received.append(buffer, static_cast<size_t>(n));
  EXPECT_EQ(received, big);
  ASSERT_EQ(send(served, "back", 4, 0), 4);
  EXPECT_EQ(recv(client, buffer, sizeof(buffer), 0), 4);
  EXPECT_EQ(std::string(buffer, 4), "back");
  for (SOCKET s : {client, served}) EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockTransfer, OnlyTheReceiveBufferSizeCanBeSet) {
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  const int size = 65536;
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof(size)), 0);
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, 0x0004, reinterpret_cast<const char*>(&size), sizeof(size)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), 2), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  u_long pending = 0;
  EXPECT_EQ(ioctlsocket(s, 0x4004667F, &pending), SOCKET_ERROR);  // FIONREAD: not offered
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(closesocket(s), 0);
}
