#pragma once
#include <cstdint>

#include "probe/ping_results.h"
#include "net/file_socket.h"
#include "platform/framework/cstring.h"
#include "platform/icmpapi/icmpapi.h"

// Sends one ICMP echo request through the ICMP library "ICMP.DLL" and
// reports the first reply. Opens no socket of its own: of the file-like
// socket it uses the address resolution and the error code.
//
// Never throws and shows nothing: a failure is a result of 0 with the reason
// in m_dwErrorCode:
//   487   ICMP.DLL missing, or it lacks IcmpCreateFile or IcmpSendEcho
//   6     IcmpCreateFile failed (see EchoNotPermitted)
//   8     the reply block could not be allocated
//   1064  an exception was raised during the echo
//   an IP_* status or system error from the library (11010: timed out,
//   11003: host unreachable, ...), also when the first reply reports an
//   error instead of an echo
class CPinger : public CFileSocket {
 public:
  // Loads ICMP.DLL and binds its entry points; any of them may stay null.
  CPinger();
  ~CPinger() override;

  BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;  // TRUE
  BOOL Prepare() override;                                                                     // TRUE

  // The library's text for an IP_* status, or "Unknown error <status>".
  virtual void GetStatusText(DWORD dwStatus, CString& strText) const;
  // Resolves the address, sends one 59-byte echo request and waits up to
  // 5000 ms. Returns the number of replies (1), or 0 on failure. The first
  // reply is copied into pResults, which may be null; on failure the record
  // is left as it was. byTtl does not change the request: the library's
  // default options apply.
  virtual DWORD Ping(const CString& strAddress, CPingResults* pResults, BYTE byTtl);

  // TRUE when the last Ping failed (code 6) because no echo could be sent
  // at all: the system refused this user an ICMP socket and the echo helper
  // could not stand in (not installed, could not start, no capability), or
  // no socket could be opened for another reason. FALSE for every failure
  // of an echo that was sent. Judged from the ICMP library's record of the
  // thread's last IcmpCreateFile.
  BOOL EchoNotPermitted() const;
  // When EchoNotPermitted: the ICMP library's account of what kept the echo
  // from being sent and how to allow it; otherwise empty.
  const CString& EchoPermissionAdvice() const;

  // The round trip of the last Ping's echo in microseconds, from the
  // kernel's receive time stamp; -1 when the last Ping got no echo back.
  std::int64_t LastRoundTripMicroseconds() const;

  HMODULE m_hIcmpLibrary;  // null when ICMP.DLL did not load
  decltype(&IcmpCreateFile) m_pfnIcmpCreateFile;
  decltype(&IcmpCloseHandle) m_pfnIcmpCloseHandle;
  decltype(&IcmpSendEcho) m_pfnIcmpSendEcho;

 private:
  DWORD EchoOnce(const CString& strAddress, CPingResults* pResults);
  void NoteOpenFailure();
  DWORD AcceptReplies(DWORD dwReplies, LPCVOID pReplyBlock, CPingResults* pResults);

  BOOL m_bEchoNotPermitted;
  CString m_strEchoPermissionAdvice;
  std::int64_t m_llRoundTripMicroseconds;
};
