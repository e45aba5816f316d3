// A socket of the sockets library as the file's handle: the file's reads
// and writes go to the connection, and closing or copying it takes the
// library's own calls.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/framework/afx.h"
#include "platform/kernel/windef.h"
#include "tests/platform/framework/core_test_helpers.h"

namespace {

using core_test::CauseThrown;

// A connected TCP pair on 127.0.0.1 (an ephemeral port).
class SocketFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(listener, INVALID_SOCKET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    m_client = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(::connect(m_client, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    m_peer = ::accept(listener, nullptr, nullptr);
    ::closesocket(listener);
    ASSERT_NE(m_peer, INVALID_SOCKET);
    m_file.m_hFile = static_cast<UINT>(m_client);
    m_file.m_bCloseOnDelete = TRUE;
  }
  void TearDown() override {
    if (m_peer != INVALID_SOCKET) ::closesocket(m_peer);
    m_file.Abort();
    ::WSACleanup();
  }

  // Waits (without sleeping) until the file's socket has something to read.
  void WaitReadable() const {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(m_client, &set);
    timeval limit{10, 0};
    ASSERT_EQ(::select(0, &set, nullptr, nullptr, &limit), 1);
  }

  std::string PeerReceive(int length) const {
    std::string text(static_cast<std::size_t>(length), '\0');
    int total = 0;
    while (total < length) {
      const int received = ::recv(m_peer, text.data() + total, length - total, 0);
      if (received <= 0) break;
      total += received;
    }
    return text.substr(0, static_cast<std::size_t>(total));
  }

  SOCKET m_client = INVALID_SOCKET;
  SOCKET m_peer = INVALID_SOCKET;
  CFile m_file;
};

TEST_F(SocketFileTest, ReadAndWriteUseTheConnection) {
  m_file.Write("ping", 4);
  EXPECT_EQ(PeerReceive(4), "ping");

  ASSERT_EQ(::send(m_peer, "pong", 4, 0), 4);
  char buffer[16] = {};
  WaitReadable();
  EXPECT_EQ(m_file.Read(buffer, sizeof(buffer)), 4u);  // what is there, without waiting for more
  EXPECT_EQ(std::string(buffer), "pong");

  ::closesocket(m_peer);
  m_peer = INVALID_SOCKET;
  WaitReadable();
  EXPECT_EQ(m_file.Read(buffer, sizeof(buffer)), 0u);
}

// A reset connection fails the write with the library's error.
TEST_F(SocketFileTest, WriteToAResetConnectionThrows) {
  const linger abort{1, 0};
  ::setsockopt(m_peer, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof(abort));
  ::closesocket(m_peer);
  m_peer = INVALID_SOCKET;
  WaitReadable();
  EXPECT_NE(CauseThrown<CFileException>([&] { m_file.Write("x", 1); }), -1);
}

TEST_F(SocketFileTest, CloseAndDuplicateTakeTheSocketCalls) {
  std::unique_ptr<CFile> copy(m_file.Duplicate());
  ASSERT_NE(copy->m_hFile, m_file.m_hFile);
  copy->Write("via copy", 8);
  EXPECT_EQ(PeerReceive(8), "via copy");
  copy.reset();
  m_file.Write("!", 1);  // the original stays open
  EXPECT_EQ(PeerReceive(1), "!");

  m_file.Close();
  EXPECT_EQ(m_file.m_hFile, CFile::hFileNull);
  int type = 0;
  int length = sizeof(type);
  EXPECT_EQ(::getsockopt(m_client, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length), SOCKET_ERROR);
  EXPECT_EQ(::WSAGetLastError(), WSAENOTSOCK);
}

}  // namespace
