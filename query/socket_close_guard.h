#pragma once
#include "protocol/blocking_socket.h"

// Closes a created socket when the exchange ends early by an exception.
// CBlockingSocket's destructor leaves the socket open, and the exception
// itself belongs to the framework's guard, so a failure of this close is
// not reported. A close already tried (Close) is not repeated.
class CSocketCloseGuard {
 public:
  explicit CSocketCloseGuard(CBlockingSocket& socket) : m_socket(socket) {}
  ~CSocketCloseGuard();
  CSocketCloseGuard(const CSocketCloseGuard&) = delete;
  CSocketCloseGuard& operator=(const CSocketCloseGuard&) = delete;

  // Closes the socket now; a failure throws as CBlockingSocket::Close does.
  void Close();

 private:
  CBlockingSocket& m_socket;
  bool m_bCloseTried = false;
};
