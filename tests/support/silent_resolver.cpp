#include "tests/support/silent_resolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/netns_namespace.h"

namespace netns {
namespace {

constexpr const char* kResolverAddress = "127.0.0.53";

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

// A socket that takes the queries and never answers them.
int OpenSilentServer() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) Fail("cannot open the resolver's socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(53);
  ::inet_pton(AF_INET, kResolverAddress, &address.sin_addr);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    Fail("cannot bind the resolver's socket");
  }
  return fd;
}

}  // namespace

SilentResolver::SilentResolver(const std::string& hostsFile) {
  // The network first: should anything below fail half-way, no query can
  // leave this process's own loopback-only namespace.
  Namespace::Create().EnterPermanently();
  // One attempt of one second keeps the wait short; the resolver's own
  // time limit ends the look-up.
  const std::string resolvConf = std::string("nameserver ") + kResolverAddress + "\noptions timeout:1 attempts:1\n";
  m_files = std::make_unique<PrivateEtcFiles>(std::vector<EtcFile>{{"/etc/resolv.conf", resolvConf},
                                                                   {"/etc/nsswitch.conf", "hosts: files dns\n"},
                                                                   {"/etc/hosts", hostsFile}});
  m_socket = OpenSilentServer();
}

SilentResolver::~SilentResolver() { ::close(m_socket); }

int SilentResolver::TakeQueries() {
  int count = 0;
  char query[512];
  while (::recv(m_socket, query, sizeof(query), MSG_DONTWAIT) >= 0) ++count;
  return count;
}

}  // namespace netns
