#pragma once
#include "platform/framework/cexception.h"
#include "platform/framework/cobject.h"
#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"

// The failure of a CBlockingSocket operation: what failed and the sockets
// library's last error number at that moment (0 for a time-out, where no
// call failed). Thrown by pointer; the catcher deletes it with Delete().
class CBlockingSocketException : public CException {
  DECLARE_DYNAMIC(CBlockingSocketException)
 public:
  explicit CBlockingSocketException(LPCSTR pchMessage);
  ~CBlockingSocketException() override = default;

  // "<text> error #<number>", or the bare text when the number is 0.
  BOOL GetErrorMessage(LPSTR lpstrError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

  int m_nError;
  CString m_strMessage;
};

// What a wait that ran out says: the send's, and the receive's (the game
// server did not answer).
inline constexpr char kSendTimeoutText[] = "Send timeout";
inline constexpr char kReceiveTimeoutText[] = "Veloxa server not detected";

// One socket whose transfers first wait, up to a limit in seconds, until
// the socket is ready. Every failure, a time-out included, is thrown as a
// CBlockingSocketException*. The destructor does not close the socket:
// its owner calls Close.
class CBlockingSocket : public CObject {
  DECLARE_DYNAMIC(CBlockingSocket)
 public:
  CBlockingSocket() = default;
  ~CBlockingSocket() override = default;

  void Create(int nType);
  void Close();
  int SendDatagram(const char* pch, int nSize, const sockaddr_in* psa, int nSecs);
  int ReceiveDatagram(char* pch, int nSize, sockaddr_in* psa, int nSecs);

  SOCKET m_hSocket = 0;

 private:
  // Waits until the socket is readable (or writable); FALSE on time-out.
  // A failed wait is not reported: the transfer that follows reports it.
  BOOL WaitReady(BOOL bWrite, int nSecs) const;
};
