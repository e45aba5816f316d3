#include "tests/support/silent_resolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support/netns_namespace.h"

namespace netns {
namespace {

constexpr const char* kResolverAddress = "127.0.0.53";

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

std::string MakeTempDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vq-resolver-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a temporary directory");
  return pattern;
}

void BindFileOver(const std::string& directory, const std::string& name, const std::string& content,
                  const char* target) {
  const std::string path = directory + "/" + name;
  std::ofstream(path, std::ios::binary) << content;
  if (::mount(path.c_str(), target, nullptr, MS_BIND, nullptr) != 0) Fail(std::string("cannot bind over ") + target);
}

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
  if (::unshare(CLONE_NEWNS) != 0) Fail("cannot make a mount namespace");
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) Fail("cannot make the mounts private");
  m_directory = MakeTempDirectory();
  try {
    // One attempt of one second keeps the wait short; the resolver's own
    // time limit ends the look-up.
    const std::string resolvConf = std::string("nameserver ") + kResolverAddress + "\noptions timeout:1 attempts:1\n";
    BindFileOver(m_directory, "resolv.conf", resolvConf, "/etc/resolv.conf");
    BindFileOver(m_directory, "nsswitch.conf", "hosts: files dns\n", "/etc/nsswitch.conf");
    BindFileOver(m_directory, "hosts", hostsFile, "/etc/hosts");
    m_socket = OpenSilentServer();
  } catch (...) {
    Release();
    throw;
  }
}

SilentResolver::~SilentResolver() { Release(); }

void SilentResolver::Release() {
  if (m_socket >= 0) ::close(m_socket);
  m_socket = -1;
  std::error_code ignored;
  std::filesystem::remove_all(m_directory, ignored);  // the mounts vanish with the namespace
}

int SilentResolver::TakeQueries() {
  int count = 0;
  char query[512];
  while (::recv(m_socket, query, sizeof(query), MSG_DONTWAIT) >= 0) ++count;
  return count;
}

}  // namespace netns
