#include "net/file_socket.h"

#include <chrono>

#include "net/no_throw.h"

CFileSocket::CFileSocket() : m_wPort(0), m_hSocket(INVALID_SOCKET), m_chTerminator('\n'), m_listAliases(10) {
  m_hFile = CFile::hFileNull;
  if (g_nSocketUsers == 0) StartupSockets();  // ends the process when the library cannot start
  ++g_nSocketUsers;
}

CFileSocket::~CFileSocket() {
  CFileSocket::Close();
  if (--g_nSocketUsers == 0) CleanupSockets();
}

void CFileSocket::AdoptHandle(SOCKET hSocket) {
  m_hSocket = hSocket;
  m_hFile = static_cast<UINT>(hSocket);  // INVALID_SOCKET and hFileNull are both all ones
}

void CFileSocket::RecordSocketError() { m_dwErrorCode = static_cast<DWORD>(g_pSocketApi->WSAGetLastError()); }

void CFileSocket::Close() {
  if (m_hSocket == INVALID_SOCKET) return;
  g_pSocketApi->shutdown(m_hSocket, SD_SEND);
  DrainBeforeClose();
  g_pSocketApi->closesocket(m_hSocket);
  AdoptHandle(INVALID_SOCKET);
}

// Reads and discards what the peer still sends until it closes, so that
// the close is orderly. Bounded in bytes and time: a peer that keeps sending,
// or keeps the connection open in silence, cannot hold Close (nor Abort and
// the destructor) for ever; the close then simply cuts the connection.
void CFileSocket::DrainBeforeClose() {
  constexpr int kDrainLimitBytes = 64 * 1024;
  constexpr auto kDrainLimitTime = std::chrono::seconds(2);
  const auto deadline = std::chrono::steady_clock::now() + kDrainLimitTime;
  char scratch[4096];
  for (int drained = 0; drained < kDrainLimitBytes;) {
    const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    fd_set readable;
    readable.fd_count = 1;
    readable.fd_array[0] = m_hSocket;
    timeval wait{static_cast<decltype(timeval::tv_sec)>(left.count() / 1000000),
                 static_cast<decltype(timeval::tv_usec)>(left.count() % 1000000)};
    if (g_pSocketApi->select(0, &readable, nullptr, nullptr, &wait) <= 0) return;
    const int received = g_pSocketApi->recv(m_hSocket, scratch, sizeof(scratch), 0);
    if (received <= 0) return;
    drained += received;
  }
}

void CFileSocket::GetAddress(CString& strAddress) const { strAddress = m_strDottedAddress; }
SOCKET CFileSocket::GetSocket() const { return m_hSocket; }
void CFileSocket::GetName(CString& strName) const { strName = m_strHostName; }
void CFileSocket::GetPortName(CString& strPortName) const { strPortName = m_strPortName; }
void CFileSocket::GetPort(WORD& wPort) const { wPort = g_pSocketApi->ntohs(m_wPort); }
char CFileSocket::GetTerminator() const { return m_chTerminator; }
void CFileSocket::SetTerminator(char chTerminator) { m_chTerminator = chTerminator; }
BOOL CFileSocket::IsClosed() const { return m_hSocket == INVALID_SOCKET ? TRUE : FALSE; }

void CFileSocket::SetSocket(SOCKET hSocket) {
  if (m_hSocket != INVALID_SOCKET) Close();
  AdoptHandle(hSocket);
}

void CFileSocket::SetName(LPCSTR lpszName) {
  if (!net_detail::RunWithoutThrowing([&] { m_strHostName = lpszName; })) m_strHostName.Empty();
}

BOOL CFileSocket::IsDataWaiting() {
  if (m_hSocket == INVALID_SOCKET) return FALSE;
  fd_set readable;
  readable.fd_count = 1;
  readable.fd_array[0] = m_hSocket;
  timeval immediately{0, 0};
  const int ready = g_pSocketApi->select(0, &readable, nullptr, nullptr, &immediately);
  if (ready == SOCKET_ERROR) {
    RecordSocketError();
    return FALSE;
  }
  if (ready == 0) return FALSE;
  return g_pSocketApi->__WSAFDIsSet(m_hSocket, &readable) != 0 ? TRUE : FALSE;
}
