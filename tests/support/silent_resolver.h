#pragma once
// A machine whose DNS server never answers by itself, for tests of what a
// program does while a name look-up waits. Only for a forked child
// (netns_child.h): it moves the whole process into a new network namespace
// (loopback only) and a private mount namespace, where files bound over
// /etc/resolv.conf, /etc/nsswitch.conf and /etc/hosts send every DNS query to
// a UDP socket on 127.0.0.53 that the test holds. The test may read a query
// and answer it when it chooses; otherwise the resolver's own time limit
// ends the look-up. No query can leave the namespace. Needs root; failures
// throw std::runtime_error.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/private_etc_files.h"

namespace netns {

class SilentResolver {
 public:
  // How long the system resolver waits for an answer before it gives up.
  enum class Patience {
    OneSecond,  // one try of one second
    Minutes,    // longer than any test: only the test's answer ends a look-up
  };

  // hostsFile: the content the hosts file shows inside.
  explicit SilentResolver(const std::string& hostsFile = "127.0.0.1 localhost\n",
                          Patience patience = Patience::OneSecond);
  ~SilentResolver();
  SilentResolver(const SilentResolver&) = delete;
  SilentResolver& operator=(const SilentResolver&) = delete;

  // Queries that reached the resolver and were not counted or read before.
  int TakeQueries();

  // Waits up to timeoutMs for the next query and returns the name it asks
  // for; nullopt when none came.
  std::optional<std::string> NextQuery(int timeoutMs = 10000);
  // Answers the query NextQuery returned last with one IPv4 address
  // (network byte order).
  void AnswerLastQuery(std::uint32_t address);

 private:
  std::unique_ptr<PrivateEtcFiles> m_files;
  int m_socket = -1;
  std::string m_lastQuery;
  std::string m_lastSender;  // a sockaddr_in's bytes
};

}  // namespace netns
