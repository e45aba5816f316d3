#include "platform/icmp/icmpapi.h"

#include <cerrno>
#include <mutex>
#include <new>

#include "platform/icmp/echo_exchange.h"
#include "platform/icmp/echo_handles.h"
#include "platform/icmp/echo_helper_location.h"
#include "platform/icmp/echo_helper_process.h"
#include "platform/icmp/echo_reply_record.h"
#include "platform/icmp/open_failure_record.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/modules.h"

namespace {

constexpr IPAddr kAnyAddress = 0;
constexpr IPAddr kBroadcastAddress = 0xFFFFFFFFu;

// Checks what can be checked before anything is sent; returns the last
// error to report, or ERROR_SUCCESS.
DWORD ValidateEcho(IPAddr destination, LPVOID requestData, WORD requestSize, PIP_OPTION_INFORMATION options,
                   LPVOID replyBuffer, DWORD replySize) {
  if (replyBuffer == nullptr || (requestData == nullptr && requestSize != 0)) return ERROR_INVALID_PARAMETER;
  if (options != nullptr && options->OptionsSize > MAX_OPT_SIZE) return IP_OPTION_TOO_BIG;
  if (options != nullptr && options->OptionsSize != 0 && options->OptionsData == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  if (replySize < icmp::ReplyBufferNeeded(requestSize)) return IP_BUFF_TOO_SMALL;
  // "No address" and the limited broadcast: never send those onto a network.
  if (destination == kAnyAddress || destination == kBroadcastAddress) return IP_BAD_DESTINATION;
  return ERROR_SUCCESS;
}

}  // namespace

HANDLE IcmpCreateFile() {
  try {
    icmp::OpenFailureInfo failure;
    std::shared_ptr<icmp::EchoSocket> socket = icmp::EchoSocket::Open(failure);
    const int openErrno = errno;
    // Neither socket is ours to open: the helper, which has the capability
    // for a raw socket, may open one for us. The errno values stay recorded
    // to tell why it was needed.
    if (!socket && failure.reason == icmp::OpenFailure::NotPermitted) {
      if (auto helper = icmp::EchoHelperProcess::Start(icmp::EchoHelperCandidates())) {
        socket = std::make_shared<icmp::EchoSocket>(std::move(helper));
        failure.reason = icmp::OpenFailure::None;
      }
    }
    icmp::RecordOpenFailure(failure);
    if (!socket) {
      SetLastError(kernel::SystemErrorFromErrno(openErrno));
      return INVALID_HANDLE_VALUE;
    }
    return icmp::InsertEchoSocket(std::move(socket));
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

BOOL IcmpCloseHandle(HANDLE IcmpHandle) {
  if (!icmp::RemoveEchoSocket(IcmpHandle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD IcmpSendEcho(HANDLE IcmpHandle, IPAddr DestinationAddress, LPVOID RequestData, WORD RequestSize,
                   PIP_OPTION_INFORMATION RequestOptions, LPVOID ReplyBuffer, DWORD ReplySize, DWORD Timeout) {
  try {
    const std::shared_ptr<icmp::EchoSocket> socket = icmp::FindEchoSocket(IcmpHandle);
    if (!socket) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    const DWORD invalid =
        ValidateEcho(DestinationAddress, RequestData, RequestSize, RequestOptions, ReplyBuffer, ReplySize);
    if (invalid != ERROR_SUCCESS) {
      SetLastError(invalid);
      return 0;
    }
    icmp::EchoRequest request;
    request.destination = DestinationAddress;
    request.payload = icmp::Bytes(static_cast<const std::uint8_t*>(RequestData), RequestSize);
    request.options = RequestOptions;
    request.timeoutMs = Timeout;
    std::lock_guard lock(socket->exchangeMutex());
    if (icmp::EchoHelperProcess* helper = socket->helper()) return helper->Exchange(request, ReplyBuffer, ReplySize);
    return icmp::ExchangeEcho(*socket, request, ReplyBuffer, ReplySize);
  } catch (const std::bad_alloc&) {
    SetLastError(IP_NO_RESOURCES);
    return 0;
  }
}

// Keeps this object file, and so the module's registration, in every program
// that links the library.
extern "C" {
int vq_icmp_module_anchor = 0;
}

namespace {

const bool kRegistered = [] {
  kernel::RegisterBuiltinModule("ICMP.DLL", {
                                                {"IcmpCreateFile", kernel::AsFarProc(&IcmpCreateFile)},
                                                {"IcmpSendEcho", kernel::AsFarProc(&IcmpSendEcho)},
                                                {"IcmpCloseHandle", kernel::AsFarProc(&IcmpCloseHandle)},
                                            });
  return true;
}();

}  // namespace
