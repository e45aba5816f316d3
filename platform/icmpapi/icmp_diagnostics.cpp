#include "platform/icmpapi/icmp_diagnostics.h"

#include <cerrno>
#include <cstring>

#include "platform/icmpapi/open_failure_record.h"

namespace icmpapi {
namespace {

thread_local OpenFailureInfo t_lastOpenFailure;
thread_local std::int64_t t_lastRoundTripMicroseconds = -1;

const char* const kAllowByGroup =
    "adding one of the user's groups to the range in the sysctl setting net.ipv4.ping_group_range";

std::string ErrorText(int err) { return std::strerror(err); }

// The system refused ICMP sockets; what the helper did decides the rest.
std::string RefusalAdvice(const OpenFailureInfo& failure) {
  const std::string refused = "ICMP sockets are refused to this user, and the echo helper ";
  const std::string withoutHelper = " They can be allowed without the helper by " + std::string(kAllowByGroup) + ".";
  switch (failure.helper) {
    case HelperStart::SocketRefused:
      if (failure.helperErrno == EPERM || failure.helperErrno == EACCES) {
        // The helper that ran is the file that needs the capability.
        return std::string("ICMP sockets are not permitted for this user. Allow them by ") + kAllowByGroup +
               ", or give the echo helper the cap_net_raw capability (setcap cap_net_raw+ep " + failure.helperPath +
               ").";
      }
      return refused + failure.helperPath + " could not open one either: " + ErrorText(failure.helperErrno) + "." +
             withoutHelper;
    case HelperStart::CouldNotRun:
      return refused + failure.helperPath + " could not be started: " + ErrorText(failure.helperErrno) + "." +
             withoutHelper;
    case HelperStart::NoAnswer:
      return refused + failure.helperPath +
             " did not answer as it should (it may belong to another version of the program)." + withoutHelper;
    case HelperStart::NotTried:
    case HelperStart::NotInstalled:
    case HelperStart::Started: break;
  }
  return refused + "(quillmar-echo-helper), which would send the echo instead, is not installed. Allow ICMP " +
         "sockets by " + kAllowByGroup + ", or install the echo helper with the cap_net_raw capability.";
}

}  // namespace

void RecordOpenFailure(const OpenFailureInfo& failure) { t_lastOpenFailure = failure; }

OpenFailureInfo LastOpenFailure() { return t_lastOpenFailure; }

void RecordEchoRoundTrip(std::int64_t microseconds) { t_lastRoundTripMicroseconds = microseconds; }

std::int64_t LastEchoRoundTripMicroseconds() { return t_lastRoundTripMicroseconds; }

void ForgetLastEchoRoundTrip() { t_lastRoundTripMicroseconds = -1; }

std::string OpenFailureAdvice(const OpenFailureInfo& failure) {
  switch (failure.reason) {
    case OpenFailure::None: return {};
    case OpenFailure::NotPermitted: return RefusalAdvice(failure);
    case OpenFailure::Unsupported: return "This system does not support ICMP sockets.";
    case OpenFailure::OutOfResources: return "No ICMP socket could be opened: the system is out of resources.";
    case OpenFailure::Other: break;
  }
  const int err = failure.rawErrno != 0 ? failure.rawErrno : failure.unprivilegedErrno;
  return "No ICMP socket could be opened: " + ErrorText(err) + ".";
}

}  // namespace icmpapi
