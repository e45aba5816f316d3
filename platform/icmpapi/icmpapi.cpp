#include "platform/icmpapi/icmpapi.h"

#include "platform/kernel/blocking_hook.h"

#include <cerrno>
#include <mutex>
#include <new>

#include "platform/icmpapi/echo_exchange.h"
#include "platform/icmpapi/echo_flights.h"
#include "platform/icmpapi/echo_handles.h"
#include "platform/icmpapi/echo_helper_process.h"
#include "platform/icmpapi/echo_reply_record.h"
#include "platform/icmpapi/echo_transport.h"
#include "platform/icmpapi/open_failure_record.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/modules.h"

namespace {

// Checks what can be checked before anything is sent; returns the last
// error to report, or ERROR_SUCCESS.
DWORD ValidateEcho(IPAddr destination, LPVOID requestData, WORD requestSize, PIP_OPTION_INFORMATION options,
                   LPVOID replyBuffer, DWORD replySize) {
  if (replyBuffer == nullptr || (requestData == nullptr && requestSize != 0)) return ERROR_INVALID_PARAMETER;
  if (options != nullptr &&
      (options->Ttl != 0 || options->Tos != 0 || options->Flags != 0 || options->OptionsSize != 0)) {
    return IP_BAD_OPTION;
  }
  if (replySize < icmpapi::ReplyBufferNeeded(requestSize)) return IP_BUFF_TOO_SMALL;
  if (icmpapi::IsNeverSentDestination(destination)) return IP_BAD_DESTINATION;
  return ERROR_SUCCESS;
}

// Stores an answered echo as the first reply record; anything else is a
// failure with its status as the last error.
DWORD StoreResult(const icmpapi::EchoResult& result, LPVOID replyBuffer, DWORD replySize) {
  if (!result.answered) {
    SetLastError(result.status);
    return 0;
  }
  if (!icmpapi::StoreEchoResult(result, replyBuffer, replySize)) {
    SetLastError(IP_BUFF_TOO_SMALL);  // a helper that echoed more than was sent
    return 0;
  }
  icmpapi::RecordEchoRoundTrip(result.roundTripMicroseconds);
  return 1;
}

}  // namespace

HANDLE IcmpCreateFile() {
  try {
    icmpapi::OpenFailureInfo failure;
    std::shared_ptr<icmpapi::EchoSocket> socket = icmpapi::OpenEchoTransport(failure, icmpapi::ArrivalStamps::AtRead);
    const int openErrno = errno;
    icmpapi::RecordOpenFailure(failure);
    if (!socket) {
      SetLastError(kernel::SystemErrorFromErrno(openErrno));
      return INVALID_HANDLE_VALUE;
    }
    return icmpapi::InsertEchoSocket(std::move(socket));
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

BOOL IcmpCloseHandle(HANDLE IcmpHandle) {
  if (!icmpapi::RemoveEchoSocket(IcmpHandle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD IcmpSendEcho(HANDLE IcmpHandle, IPAddr DestinationAddress, LPVOID RequestData, WORD RequestSize,
                   PIP_OPTION_INFORMATION RequestOptions, LPVOID ReplyBuffer, DWORD ReplySize, DWORD Timeout) {
  icmpapi::ForgetLastEchoRoundTrip();
  try {
    const std::shared_ptr<icmpapi::EchoSocket> socket = icmpapi::FindEchoSocket(IcmpHandle);
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
    icmpapi::EchoRequest request;
    request.destination = DestinationAddress;
    request.payload = icmpapi::Bytes(static_cast<const std::uint8_t*>(RequestData), RequestSize);
    request.timeoutMs = Timeout;
    std::lock_guard lock(socket->exchangeMutex());
    // A thread with a blocking hook (a window's) may be busy when the answer comes.
    if (kernel::GetBlockingHook() != nullptr) socket->AskForKernelStamps();
    icmpapi::EchoHelperProcess* helper = socket->helper();
    const icmpapi::EchoResult result =
        helper != nullptr ? helper->Exchange(request) : icmpapi::ExchangeEcho(*socket, request);
    return StoreResult(result, ReplyBuffer, ReplySize);
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
