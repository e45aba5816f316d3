#pragma once
// A machine whose DNS server never answers, for tests of what a program does
// while a name look-up waits. Only for a forked child (netns_child.h): it
// moves the whole process into a new network namespace (loopback only) and a
// private mount namespace, where files bound over /etc/resolv.conf,
// /etc/nsswitch.conf and /etc/hosts send every DNS query to a UDP socket on
// 127.0.0.53 that reads nothing and answers nothing. No query can leave the
// namespace. Needs root; failures throw std::runtime_error.
#include <memory>
#include <string>

#include "tests/support/private_etc_files.h"

namespace netns {

class SilentResolver {
 public:
  // hostsFile: the content the hosts file shows inside.
  explicit SilentResolver(const std::string& hostsFile = "127.0.0.1 localhost\n");
  ~SilentResolver();
  SilentResolver(const SilentResolver&) = delete;
  SilentResolver& operator=(const SilentResolver&) = delete;

  // Queries that reached the resolver and were not counted before.
  int TakeQueries();

 private:
  std::unique_ptr<PrivateEtcFiles> m_files;
  int m_socket = -1;
};

}  // namespace netns
