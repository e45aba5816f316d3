#include "probe/pinger.h"

#include "probe/echo_call_resources.h"
#include "net/no_throw.h"
#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/modules.h"

namespace {

constexpr DWORD kEchoTimeoutMs = 5000;

template <typename Function>
void BindEntry(HMODULE hModule, LPCSTR lpszName, Function*& pfnEntry) {
  pfnEntry = kernel::FromFarProc<Function>(GetProcAddress(hModule, lpszName));
}

}  // namespace

CPinger::CPinger()
    : m_hIcmpLibrary(LoadLibraryA("ICMP.DLL")),
      m_pfnIcmpCreateFile(nullptr),
      m_pfnIcmpCloseHandle(nullptr),
      m_pfnIcmpSendEcho(nullptr),
      m_bEchoNotPermitted(FALSE),
      m_llRoundTripMicroseconds(-1) {
  if (m_hIcmpLibrary == nullptr) return;  // shows later as error 487 from Ping
  BindEntry(m_hIcmpLibrary, "IcmpCreateFile", m_pfnIcmpCreateFile);
  BindEntry(m_hIcmpLibrary, "IcmpCloseHandle", m_pfnIcmpCloseHandle);
  BindEntry(m_hIcmpLibrary, "IcmpSendEcho", m_pfnIcmpSendEcho);
}

CPinger::~CPinger() {
  if (m_hIcmpLibrary != nullptr) FreeLibrary(m_hIcmpLibrary);
  m_hIcmpLibrary = nullptr;
  m_pfnIcmpCreateFile = nullptr;
  m_pfnIcmpCloseHandle = nullptr;
  m_pfnIcmpSendEcho = nullptr;
}

BOOL CPinger::Open(LPCSTR /*lpszFileName*/, UINT /*nOpenFlags*/, CFileException* /*pError*/) { return TRUE; }

BOOL CPinger::Prepare() { return TRUE; }

BOOL CPinger::EchoNotPermitted() const { return m_bEchoNotPermitted; }

const CString& CPinger::EchoPermissionAdvice() const { return m_strEchoPermissionAdvice; }

std::int64_t CPinger::LastRoundTripMicroseconds() const { return m_llRoundTripMicroseconds; }

// The requests carry no IP options, so the time to live is the system's
// default whatever byTtl says.
DWORD CPinger::Ping(const CString& strAddress, CPingResults* pResults, BYTE /*byTtl*/) {
  m_bEchoNotPermitted = FALSE;
  m_strEchoPermissionAdvice.Empty();
  m_llRoundTripMicroseconds = -1;
  if (m_pfnIcmpCreateFile == nullptr) {
    m_dwErrorCode = ERROR_INVALID_ADDRESS;
    return 0;
  }
  DWORD dwReplies = 0;
  if (!net_detail::RunWithoutThrowing([&] { dwReplies = EchoOnce(strAddress, pResults); })) {
    m_dwErrorCode = ERROR_EXCEPTION_IN_SERVICE;  // the handle and block were released on the way out
    return 0;
  }
  return dwReplies;
}

DWORD CPinger::EchoOnce(const CString& strAddress, CPingResults* pResults) {
  probe::EchoCallResources resources(m_pfnIcmpCloseHandle);
  resources.m_hEcho = m_pfnIcmpCreateFile();
  if (resources.m_hEcho == INVALID_HANDLE_VALUE) {
    m_dwErrorCode = ERROR_INVALID_HANDLE;  // fixed; the thread's last error is not used
    NoteOpenFailure();
    return 0;
  }
  probe::EchoRequestData request;
  if (!resources.LockReplyBlock()) {
    m_dwErrorCode = ERROR_NOT_ENOUGH_MEMORY;
    return 0;
  }

  SetAddress(strAddress);  // an address that does not resolve still goes on
  if (m_pfnIcmpSendEcho == nullptr) {
    m_dwErrorCode = ERROR_INVALID_ADDRESS;
    return 0;
  }
  // Text that is no dotted quad gives all ones, which is sent to as it is.
  const auto destination = static_cast<IPAddr>(g_pSocketApi->inet_addr(m_strDottedAddress));
  icmpapi::ForgetLastEchoRoundTrip();  // the entry point may be another library's
  const DWORD dwReplies =
      m_pfnIcmpSendEcho(resources.m_hEcho, destination, request.Data(), probe::EchoRequestData::kSize, nullptr,
                        resources.m_pReplyBlock, probe::kReplyBlockSize, kEchoTimeoutMs);
  return AcceptReplies(dwReplies, resources.m_pReplyBlock, pResults);
}

// A stored reply may report an error about the request (host unreachable,
// time to live exceeded) instead of an echo; that is a failure with the
// reply's status as the code, and the record is not touched.
DWORD CPinger::AcceptReplies(DWORD dwReplies, LPCVOID pReplyBlock, CPingResults* pResults) {
  if (dwReplies == 0) {
    m_dwErrorCode = GetLastError();  // the library's status (11010: timed out) or a system error
    return 0;
  }
  const auto* pFirstReply = static_cast<const ICMP_ECHO_REPLY*>(pReplyBlock);
  if (pFirstReply->Status != IP_SUCCESS) {
    m_dwErrorCode = pFirstReply->Status;
    return 0;
  }
  if (pResults != nullptr) pResults->Copy(pFirstReply);
  // A library that measures no microseconds still gave whole milliseconds.
  const std::int64_t llMicroseconds = icmpapi::LastEchoRoundTripMicroseconds();
  m_llRoundTripMicroseconds =
      llMicroseconds >= 0 ? llMicroseconds : static_cast<std::int64_t>(pFirstReply->RoundTripTime) * 1000;
  return dwReplies;
}

// Whatever kept the library from opening a handle, no echo was sent, and
// the user is told why rather than that the ping timed out.
void CPinger::NoteOpenFailure() {
  const icmpapi::OpenFailureInfo failure = icmpapi::LastOpenFailure();
  if (failure.reason == icmpapi::OpenFailure::None) return;
  m_bEchoNotPermitted = TRUE;
  m_strEchoPermissionAdvice = icmpapi::OpenFailureAdvice(failure).c_str();
}
