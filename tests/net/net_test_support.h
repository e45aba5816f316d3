#pragma once
// Helpers of the sockets-layer tests: a concrete socket object, a connected
// loopback pair and a fixture that checks no sockets table outlives a test.
#include <gtest/gtest.h>

#include "net/file_socket.h"

class TestSocket : public CFileSocket {
 public:
  BOOL Open(LPCSTR /*lpszFileName*/, UINT /*nOpenFlags*/, CFileException* /*pError*/) override { return FALSE; }
  BOOL Prepare() override { return TRUE; }
};

// A connected TCP pair on 127.0.0.1, made with the system's own calls and
// handed to the sockets library as two of its handles. The client end is
// meant to be handed to a socket object (TakeClient); the pair closes
// whatever it still owns, the peer end first.
class LoopbackPair {
 public:
  LoopbackPair();
  ~LoopbackPair();
  LoopbackPair(const LoopbackPair&) = delete;
  LoopbackPair& operator=(const LoopbackPair&) = delete;

  SOCKET TakeClient();
  SOCKET Peer() const { return m_peer; }
  void PeerSend(const void* data, int length);
  // Receives exactly `length` bytes, or fewer when the connection ends.
  int PeerReceive(void* buffer, int length);
  void ClosePeer();

 private:
  SOCKET m_client = INVALID_SOCKET;
  SOCKET m_peer = INVALID_SOCKET;
};

// Every test starts and must end without a sockets table or live users.
class SocketTableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Waits (without sleeping) until the handle has something to read.
void WaitReadable(SOCKET s);
