#pragma once
// Network namespaces for echo tests: one where the library opens the wanted
// kind of ICMP socket, and a small routed network whose router reports
// errors.
#include "platform/icmpapi/icmp_diagnostics.h"
#include "tests/support/netns_namespace.h"

namespace icmpapi_test {

// The socket behind an echo transport that opened, as its open tells: the
// helper when it started, a raw socket when the unprivileged one was refused.
icmpapi::EchoSocketKind KindOpened(const icmpapi::OpenFailureInfo& failure);

const char* KindName(icmpapi::EchoSocketKind kind);

// A namespace in which IcmpCreateFile gives the wanted kind of socket: a new
// namespace refuses unprivileged ICMP sockets until its ping_group_range
// admits one of our groups; root then falls back to a raw socket.
netns::Namespace PingNamespace(icmpapi::EchoSocketKind kind);

// Opens an echo handle inside the namespace and checks its socket kind.
HANDLE OpenEchoHandle(const netns::Namespace& ns, icmpapi::EchoSocketKind kind);

// Whether the socket behind an open echo handle has kernel receive stamps on.
bool KernelStampsOn(HANDLE handle);

// Host 192.0.2.1 in its own namespace, linked to a router 192.0.2.2 that
// forwards 198.51.100.0/24 to a neighbour that does not exist (packets
// vanish), knows one unreachable and one prohibited host there, and has no
// route to 203.0.113.0/24. Needs the ip tool.
struct RoutedNetwork {
  netns::Namespace host;
  netns::Namespace router = netns::Namespace::Create();

  explicit RoutedNetwork(icmpapi::EchoSocketKind kind);
};

}  // namespace icmpapi_test
