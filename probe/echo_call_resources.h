#pragma once
#include "platform/icmpapi/icmpapi.h"

namespace probe {

// One reply record of the ICMP library followed by the echoed request data.
constexpr DWORD kReplyBlockSize = sizeof(ICMP_ECHO_REPLY) + 59;

// The data of every echo request: three texts joined, 59 characters. The
// buffer keeps a terminating zero byte, which is not sent.
class EchoRequestData {
 public:
  static constexpr WORD kSize = 59;

  EchoRequestData();
  LPVOID Data() { return m_achData; }

 private:
  char m_achData[kSize + 1];
};

// The echo handle and the locked reply block of one echo, released in that
// order (block first) however the echo ends, an exception included.
class EchoCallResources {
 public:
  explicit EchoCallResources(decltype(&IcmpCloseHandle) pfnIcmpCloseHandle);
  ~EchoCallResources();
  EchoCallResources(const EchoCallResources&) = delete;
  EchoCallResources& operator=(const EchoCallResources&) = delete;

  // Allocates the zero-filled movable block and locks it; FALSE when no
  // pointer results (nothing stays allocated then).
  bool LockReplyBlock();

  HANDLE m_hEcho = INVALID_HANDLE_VALUE;
  LPVOID m_pReplyBlock = nullptr;

 private:
  void ReleaseReplyBlock();
  void CloseEchoHandle();

  decltype(&IcmpCloseHandle) m_pfnIcmpCloseHandle;
};

}  // namespace probe
