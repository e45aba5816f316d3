#include "query/status_reply_wait.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <vector>

#include "platform/kernel/handle_wait.h"

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void RaiseTimeout() {
  WSASetLastError(0);  // silence is no socket error, whatever failed before
  throw new CBlockingSocketException(kReceiveTimeoutText);
}

[[noreturn]] void RaiseReceiveFailure(int nError) {
  WSASetLastError(nError);
  throw new CBlockingSocketException("ReceiveDatagram");
}

bool SameEndpoint(const sockaddr_in& a, const sockaddr_in& b) {
  return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

// false when the time left ran out first. The wait runs in slices with the
// blocking hook between them, so the window keeps painting; a cancelled wait
// (the window is closing) ends the receive as interrupted, since the
// system's own receive would block. Any other failed wait is reported by the
// receive that follows.
bool WaitReadable(SOCKET hSocket, Clock::duration left) {
  const long long ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  std::vector<SOCKET> handles{hSocket};
  const int ready = kernel::WaitForReadable(handles, static_cast<int>(std::min<long long>(ms, INT_MAX)));
  if (ready < 0 && errno == EINTR) RaiseReceiveFailure(WSAEINTR);
  return ready != 0;
}

}  // namespace

int ReceiveStatusReply(CBlockingSocket& socket, const sockaddr_in& destination, char* pBuffer, int nSize, int nSecs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(nSecs);
  for (;;) {
    const Clock::duration left = deadline - Clock::now();
    if (left <= Clock::duration::zero() || !WaitReadable(socket.m_hSocket, left)) RaiseTimeout();
    sockaddr_in sender{};
    int nSenderLength = sizeof sender;
    const int nReceived =
        recvfrom(socket.m_hSocket, pBuffer, nSize, 0, reinterpret_cast<sockaddr*>(&sender), &nSenderLength);
    const int nError = nReceived == SOCKET_ERROR ? WSAGetLastError() : 0;
    // A failure that names no sender (the socket itself failed) is ours too.
    const bool bHasSender = nReceived != SOCKET_ERROR || nError == WSAEMSGSIZE;
    if (bHasSender && !SameEndpoint(sender, destination)) continue;
    if (nReceived == SOCKET_ERROR) RaiseReceiveFailure(nError);
    return nReceived;
  }
}
