#include "tests/support/silent_resolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
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

// One attempt of one second keeps the wait short; the longest the system
// resolver allows (five attempts of 30 s) outlasts any test.
std::string ResolvConf(SilentResolver::Patience patience) {
  const char* options =
      patience == SilentResolver::Patience::OneSecond ? "timeout:1 attempts:1" : "timeout:30 attempts:5";
  return std::string("nameserver ") + kResolverAddress + "\noptions " + options + "\n";
}

// The end of a query's question (its name, type and class); 0 when the
// query is malformed.
std::size_t QuestionEnd(const std::string& query) {
  std::size_t at = 12;  // the header
  while (at < query.size() && query[at] != 0) at += 1 + static_cast<unsigned char>(query[at]);
  return at + 5 <= query.size() ? at + 5 : 0;
}

// The dotted name a query's question asks for.
std::string QuestionName(const std::string& query) {
  std::string name;
  for (std::size_t at = 12; at < query.size() && query[at] != 0; at += 1 + static_cast<unsigned char>(query[at])) {
    if (!name.empty()) name += '.';
    name += query.substr(at + 1, static_cast<unsigned char>(query[at]));
  }
  return name;
}

// The query's header and question, flagged as an answer (recursion done),
// with one A record for the name asked.
std::string AnswerTo(const std::string& query, std::uint32_t address) {
  std::string answer = query.substr(0, QuestionEnd(query));
  answer[2] = static_cast<char>(0x80 | (answer[2] & 0x01));  // QR, and RD as asked
  answer[3] = static_cast<char>(0x80);                       // RA, no error
  const std::string counts("\0\1\0\1\0\0\0\0", 8);           // one question, one answer
  answer.replace(4, 8, counts);
  answer += std::string("\xc0\x0c\0\1\0\1\0\0\0\x3c\0\4", 12);  // the question's name, A, IN, 60 s, 4 bytes
  answer.append(reinterpret_cast<const char*>(&address), sizeof address);
  return answer;
}

}  // namespace

SilentResolver::SilentResolver(const std::string& hostsFile, Patience patience) {
  // The network first: should anything below fail half-way, no query can
  // leave this process's own loopback-only namespace.
  Namespace::Create().EnterPermanently();
  const std::string resolvConf = ResolvConf(patience);
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

std::optional<std::string> SilentResolver::NextQuery(int timeoutMs) {
  pollfd ready{m_socket, POLLIN, 0};
  if (::poll(&ready, 1, timeoutMs) != 1) return std::nullopt;
  char query[512];
  sockaddr_in sender{};
  socklen_t length = sizeof sender;
  const ssize_t received =
      ::recvfrom(m_socket, query, sizeof query, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &length);
  if (received < 12) return std::nullopt;
  m_lastQuery.assign(query, static_cast<std::size_t>(received));
  m_lastSender.assign(reinterpret_cast<const char*>(&sender), sizeof sender);
  return QuestionName(m_lastQuery);
}

void SilentResolver::AnswerLastQuery(std::uint32_t address) {
  if (m_lastQuery.empty() || QuestionEnd(m_lastQuery) == 0) throw std::runtime_error("no query to answer");
  const std::string answer = AnswerTo(m_lastQuery, address);
  if (::sendto(m_socket, answer.data(), answer.size(), 0, reinterpret_cast<const sockaddr*>(m_lastSender.data()),
               static_cast<socklen_t>(m_lastSender.size())) < 0) {
    Fail("cannot answer the query");
  }
}

}  // namespace netns
