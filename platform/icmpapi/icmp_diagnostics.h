#pragma once
// Why IcmpCreateFile failed, for messages that tell the user how to permit
// ICMP, and the round trip of the last echo to the microsecond.
#include <cstdint>
#include <string>

#include "platform/kernel/windef.h"

namespace icmpapi {

enum class OpenFailure {
  None,            // the last open succeeded
  NotPermitted,    // neither an unprivileged nor a raw ICMP socket is allowed, and the echo helper could not stand in
  Unsupported,     // the system offers no ICMP sockets at all
  OutOfResources,  // descriptors or memory exhausted
  Other,
};

// What became of the echo helper, which is tried when the system refuses
// this user ICMP sockets.
enum class HelperStart {
  NotTried,       // no refusal: the helper was not needed
  NotInstalled,   // no helper file to run
  CouldNotRun,    // it could not be started (helperErrno: no free descriptors, a failed exec)
  NoAnswer,       // it started but gave no valid hello: it died, hung or speaks another version
  SocketRefused,  // it ran but could not open its socket either (helperErrno; EPERM: no cap_net_raw)
  Started,
};

struct OpenFailureInfo {
  OpenFailure reason = OpenFailure::None;
  // From socket(SOCK_DGRAM, IPPROTO_ICMP), 0 if it opened; kept when a raw
  // socket or the helper stood in, to tell why that was needed.
  int unprivilegedErrno = 0;
  int rawErrno = 0;  // from socket(SOCK_RAW, IPPROTO_ICMP), 0 if it opened or was not tried
  HelperStart helper = HelperStart::NotTried;
  int helperErrno = 0;     // for CouldNotRun and SocketRefused
  std::string helperPath;  // the helper file the outcome is about; empty when none was found
};

// The outcome of the calling thread's last IcmpCreateFile.
OpenFailureInfo LastOpenFailure();

// One or two sentences for the user: why no echo could be sent and, where
// something can be done about it, what.
std::string OpenFailureAdvice(const OpenFailureInfo& failure);

enum class EchoSocketKind {
  None,          // not a live echo handle
  Unprivileged,  // SOCK_DGRAM ICMP socket, admitted by net.ipv4.ping_group_range
  Raw,           // SOCK_RAW ICMP socket, needs CAP_NET_RAW
  Helper,        // the raw socket of quillmar-echo-helper, which has CAP_NET_RAW
};

// The round trip in microseconds of the record that the calling thread's
// last IcmpSendEcho stored, from the kernel's receive time stamp of the
// answer; -1 when that call stored none (or there was no call).
std::int64_t LastEchoRoundTripMicroseconds();
// Forgets it, for a caller that cannot tell whether the echo function it
// calls is this library's.
void ForgetLastEchoRoundTrip();

}  // namespace icmpapi
