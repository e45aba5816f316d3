#pragma once
// Why IcmpCreateFile failed, and which kind of socket an echo handle uses:
// for messages that tell the user how to permit ICMP, and for tests.
#include <string>

#include "platform/kernel/windef.h"

namespace icmp {

enum class OpenFailure {
  None,            // the last open succeeded
  NotPermitted,    // neither an unprivileged nor a raw ICMP socket is allowed
  Unsupported,     // the system offers no ICMP sockets at all
  OutOfResources,  // descriptors or memory exhausted
  Other,
};

struct OpenFailureInfo {
  OpenFailure reason = OpenFailure::None;
  int unprivilegedErrno = 0;  // from socket(SOCK_DGRAM, IPPROTO_ICMP), 0 if it opened or was not tried
  int rawErrno = 0;           // from socket(SOCK_RAW, IPPROTO_ICMP), 0 if it opened or was not tried
};

// The outcome of the calling thread's last IcmpCreateFile.
OpenFailureInfo LastOpenFailure();

// One or two sentences for the user: what was refused and how to allow it.
std::string OpenFailureAdvice(const OpenFailureInfo& failure);

enum class EchoSocketKind {
  None,          // not a live echo handle
  Unprivileged,  // SOCK_DGRAM ICMP socket, admitted by net.ipv4.ping_group_range
  Raw,           // SOCK_RAW ICMP socket, needs CAP_NET_RAW
  Helper,        // the raw socket of quillmar-echo-helper, which has CAP_NET_RAW
};

EchoSocketKind SocketKindOf(HANDLE echoHandle);

}  // namespace icmp
