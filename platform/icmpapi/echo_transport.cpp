#include "platform/icmpapi/echo_transport.h"

#include <cerrno>

#include "platform/icmpapi/echo_helper_location.h"
#include "platform/icmpapi/echo_helper_process.h"

namespace icmpapi {

std::shared_ptr<EchoSocket> OpenEchoTransport(OpenFailureInfo& failure, ArrivalStamps stamps) {
  std::shared_ptr<EchoSocket> socket = EchoSocket::Open(failure, stamps);
  if (socket || failure.reason != OpenFailure::NotPermitted) return socket;
  const int openErrno = errno;
  // Neither socket is ours to open: the helper may open one for us. The
  // errno values stay recorded to tell why it was needed.
  EchoHelperProcess::Launch launch = EchoHelperProcess::Open(EchoHelperCandidates());
  failure.helper = launch.outcome;
  failure.helperErrno = launch.error;
  failure.helperPath = launch.path;
  if (launch.process) {
    failure.reason = OpenFailure::None;
    return std::make_shared<EchoSocket>(std::move(launch.process));
  }
  errno = openErrno;
  return nullptr;
}

}  // namespace icmpapi
