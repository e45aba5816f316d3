#include <cstring>

#include "net/file_socket.h"
#include "net/no_throw.h"

namespace {

constexpr int kSendAttempts = 100;

bool IsRetryable(DWORD error) { return error == WSAENOBUFS || error == WSAEINPROGRESS; }

bool IsConnectionLost(DWORD error) { return error == WSAENETRESET || error == WSAENOTCONN || error == WSAESHUTDOWN; }

}  // namespace

int CFileSocket::Read(void* lpBuffer, int nLength) {
  if (lpBuffer == nullptr || nLength < 0) {
    m_dwErrorCode = ERROR_INVALID_PARAMETER;
    return 0;
  }
  if (m_hSocket == INVALID_SOCKET) return 0;
  // A zero-byte receive also answers 0; it must not be taken for the peer
  // closing, so it is not made at all.
  if (nLength == 0) return 0;
  std::memset(lpBuffer, 0, static_cast<size_t>(nLength));
  const int received = g_pSocketApi->recv(m_hSocket, static_cast<char*>(lpBuffer), nLength, 0);
  if (received == SOCKET_ERROR) {
    RecordSocketError();
    return 0;
  }
  if (received == 0) Close();  // the peer has closed
  return received;
}

void CFileSocket::ReadLine(CString& strLine) {
  strLine.Empty();
  if (m_hSocket == INVALID_SOCKET) return;
  net_detail::RunWithoutThrowing([&] {
    for (;;) {
      char ch = '\0';
      const int received = g_pSocketApi->recv(m_hSocket, &ch, 1, 0);
      if (received == SOCKET_ERROR) {
        RecordSocketError();
        return;
      }
      if (received == 0 || ch == '\0') return;
      strLine += ch;
      if (ch == m_chTerminator) return;
    }
  });
}

void CFileSocket::Write(const void* lpData, int nLength) {
  if (lpData == nullptr) {
    m_dwErrorCode = ERROR_INVALID_PARAMETER;
    return;
  }
  if (m_hSocket == INVALID_SOCKET) {
    m_dwErrorCode = ERROR_INVALID_HANDLE;
    return;
  }
  net_detail::RunWithoutThrowing([&] {
    for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
      if (g_pSocketApi->send(m_hSocket, static_cast<const char*>(lpData), nLength, 0) != SOCKET_ERROR) return;
      RecordSocketError();
      if (IsRetryable(m_dwErrorCode)) continue;
      // The connection is gone: the handle is dropped without closesocket.
      if (IsConnectionLost(m_dwErrorCode)) AdoptHandle(INVALID_SOCKET);
      return;
    }
  });
}

void CFileSocket::Write(const CString& text) {
  Write(static_cast<LPCSTR>(text), text.GetLength() + 1);  // the NUL goes too
}
