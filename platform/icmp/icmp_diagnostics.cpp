#include "platform/icmp/icmp_diagnostics.h"

#include <cstring>

#include "platform/icmp/echo_handles.h"
#include "platform/icmp/echo_helper_location.h"
#include "platform/icmp/open_failure_record.h"

namespace icmp {
namespace {
thread_local OpenFailureInfo t_lastOpenFailure;
}  // namespace

void RecordOpenFailure(const OpenFailureInfo& failure) { t_lastOpenFailure = failure; }

OpenFailureInfo LastOpenFailure() { return t_lastOpenFailure; }

std::string OpenFailureAdvice(const OpenFailureInfo& failure) {
  switch (failure.reason) {
    case OpenFailure::None: return {};
    case OpenFailure::NotPermitted:
      return "ICMP sockets are not permitted for this user. Allow them by adding one of the user's groups to "
             "the range in the sysctl setting net.ipv4.ping_group_range, or give the echo helper the "
             "cap_net_raw capability (setcap cap_net_raw+ep " +
             InstalledEchoHelperPath() + ").";
    case OpenFailure::Unsupported: return "This system does not support ICMP sockets.";
    case OpenFailure::OutOfResources: return "No ICMP socket could be opened: the system is out of resources.";
    case OpenFailure::Other: break;
  }
  const int err = failure.rawErrno != 0 ? failure.rawErrno : failure.unprivilegedErrno;
  return std::string("No ICMP socket could be opened: ") + std::strerror(err) + ".";
}

EchoSocketKind SocketKindOf(HANDLE echoHandle) {
  const std::shared_ptr<EchoSocket> socket = FindEchoSocket(echoHandle);
  return socket ? socket->kind() : EchoSocketKind::None;
}

}  // namespace icmp
