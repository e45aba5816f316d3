#include "tests/platform/icmpapi/ping_namespaces.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "platform/icmpapi/echo_handles.h"
#include "platform/icmpapi/echo_socket.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/last_error.h"
#include "tests/support/netns_veth.h"

namespace icmpapi_test {

using icmpapi::EchoSocketKind;

bool KernelStampsOn(HANDLE handle) {
  int on = 0;
  socklen_t size = sizeof on;
  const int fd = icmpapi::FindEchoSocket(handle)->fd();
  EXPECT_EQ(::getsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, &size), 0);
  return on != 0;
}

EchoSocketKind KindOpened(const icmpapi::OpenFailureInfo& failure) {
  if (failure.reason != icmpapi::OpenFailure::None) return EchoSocketKind::None;
  if (failure.helper == icmpapi::HelperStart::Started) return EchoSocketKind::Helper;
  return failure.unprivilegedErrno != 0 ? EchoSocketKind::Raw : EchoSocketKind::Unprivileged;
}

const char* KindName(EchoSocketKind kind) { return kind == EchoSocketKind::Raw ? "raw" : "unprivileged"; }

netns::Namespace PingNamespace(EchoSocketKind kind) {
  netns::Namespace ns = netns::Namespace::Create();
  if (kind == EchoSocketKind::Unprivileged) {
    const std::string group = std::to_string(::getgid());
    ns.WriteSysctl("net.ipv4.ping_group_range", group + " " + group);
  }
  return ns;
}

HANDLE OpenEchoHandle(const netns::Namespace& ns, EchoSocketKind kind) {
  netns::ScopedEnter inside(ns);
  const HANDLE handle = IcmpCreateFile();
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << "last error " << GetLastError();
  EXPECT_EQ(KindOpened(icmpapi::LastOpenFailure()), kind);
  return handle;
}

RoutedNetwork::RoutedNetwork(EchoSocketKind kind) : host(PingNamespace(kind)) {
  netns::AddVethPair(host, "h0", router, "r0");
  netns::ConfigureInterface(host, "h0", "192.0.2.1/24");
  netns::ConfigureInterface(router, "r0", "192.0.2.2/24");
  host.Run({"ip", "route", "add", "default", "via", "192.0.2.2"});
  // Forwarded back out towards a neighbour that never answers ARP.
  router.Run({"ip", "route", "add", "198.51.100.0/24", "via", "192.0.2.3"});
  router.WriteSysctl("net.ipv4.conf.all.send_redirects", "0");
  router.WriteSysctl("net.ipv4.conf.r0.send_redirects", "0");
  router.Run({"ip", "route", "add", "unreachable", "198.51.100.2/32"});
  router.Run({"ip", "route", "add", "prohibit", "198.51.100.3/32"});
  router.WriteSysctl("net.ipv4.ip_forward", "1");
  router.WriteSysctl("net.ipv4.icmp_ratelimit", "0");  // every error is answered
}

}  // namespace icmpapi_test
