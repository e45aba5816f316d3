#include "protocol/blocking_socket.h"

#include <cstdio>

IMPLEMENT_DYNAMIC(CBlockingSocketException, CException)
IMPLEMENT_DYNAMIC(CBlockingSocket, CObject)

namespace {

[[noreturn]] void Raise(LPCSTR pchMessage) { throw new CBlockingSocketException(pchMessage); }

// A time-out is no failure of a sockets call: whatever the last error holds
// then belongs to some earlier call, so the message carries no number.
[[noreturn]] void RaiseTimeout(LPCSTR pchMessage) {
  auto* pException = new CBlockingSocketException(pchMessage);
  pException->m_nError = 0;
  throw pException;
}

}  // namespace

CBlockingSocketException::CBlockingSocketException(LPCSTR pchMessage) : m_nError(0), m_strMessage(pchMessage) {
  m_nError = WSAGetLastError();
}

BOOL CBlockingSocketException::GetErrorMessage(LPSTR lpstrError, UINT nMaxError, PUINT /*pnHelpContext*/) {
  constexpr std::size_t kLongestText = 200;  // the message and its error number
  char text[kLongestText];
  if (m_nError != 0) {
    std::snprintf(text, sizeof(text), "%s error #%d", static_cast<LPCSTR>(m_strMessage), m_nError);
  } else {
    std::snprintf(text, sizeof(text), "%s", static_cast<LPCSTR>(m_strMessage));
  }
  AfxCopyErrorText(lpstrError, nMaxError, text);
  return TRUE;
}

void CBlockingSocket::Create(int nType) {
  m_hSocket = socket(AF_INET, nType, 0);
  if (m_hSocket == INVALID_SOCKET) Raise("Create");
}

void CBlockingSocket::Close() {
  if (m_hSocket == 0) return;
  if (closesocket(m_hSocket) == SOCKET_ERROR) Raise("Close");
  m_hSocket = 0;
}

BOOL CBlockingSocket::WaitReady(BOOL bWrite, int nSecs) const {
  fd_set set = {};
  set.fd_count = 1;
  set.fd_array[0] = m_hSocket;
  timeval timeout = {nSecs, 0};  // not const: the system's select takes it as it is
  const int ready = bWrite ? select(0, nullptr, &set, nullptr, &timeout) : select(0, &set, nullptr, nullptr, &timeout);
  return ready != 0 ? TRUE : FALSE;
}

int CBlockingSocket::SendDatagram(const char* pch, int nSize, const sockaddr_in* psa, int nSecs) {
  if (!WaitReady(TRUE, nSecs)) RaiseTimeout(kSendTimeoutText);
  const int nBytesSent = sendto(m_hSocket, pch, nSize, 0, reinterpret_cast<const sockaddr*>(psa), sizeof(sockaddr_in));
  if (nBytesSent == SOCKET_ERROR) Raise("SendDatagram");
  return nBytesSent;
}

int CBlockingSocket::ReceiveDatagram(char* pch, int nSize, sockaddr_in* psa, int nSecs) {
  if (!WaitReady(FALSE, nSecs)) RaiseTimeout(kReceiveTimeoutText);
  int nLengthAddr = sizeof(sockaddr_in);
  const int nBytesReceived = recvfrom(m_hSocket, pch, nSize, 0, reinterpret_cast<sockaddr*>(psa), &nLengthAddr);
  if (nBytesReceived == SOCKET_ERROR) Raise("ReceiveDatagram");
  return nBytesReceived;
}
