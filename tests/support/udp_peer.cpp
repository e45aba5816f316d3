#include "tests/support/udp_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace vqtest {
namespace {

[[noreturn]] void Fail(const char* what) { throw std::runtime_error(std::string("UdpPeer: ") + what); }

sockaddr_in Endpoint(std::uint32_t address, std::uint16_t port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_addr.s_addr = address;
  endpoint.sin_port = htons(port);
  return endpoint;
}

}  // namespace

UdpPeer::UdpPeer(const char* address, std::uint16_t port) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, address, &parsed) != 1) Fail("bad address");
  m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (m_fd < 0) Fail("socket");
  sockaddr_in local = Endpoint(parsed.s_addr, port);
  socklen_t length = sizeof(local);
  if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) < 0 ||
      ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) < 0) {
    ::close(m_fd);
    Fail("bind");
  }
  m_address = parsed.s_addr;
  m_port = ntohs(local.sin_port);
}

UdpPeer::~UdpPeer() { ::close(m_fd); }

void UdpPeer::SendTo(std::uint32_t address, std::uint16_t port, const std::string& bytes) {
  const sockaddr_in target = Endpoint(address, port);
  const ssize_t sent =
      ::sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof(target));
  if (sent != static_cast<ssize_t>(bytes.size())) Fail("sendto");
}

std::optional<std::string> UdpPeer::Receive(int timeoutMs) {
  pollfd item{m_fd, POLLIN, 0};
  if (::poll(&item, 1, timeoutMs) <= 0) return std::nullopt;
  std::vector<char> buffer(65536);
  sockaddr_in sender{};
  socklen_t length = sizeof(sender);
  const ssize_t count =
      ::recvfrom(m_fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
  if (count < 0) Fail("recvfrom");
  m_lastSenderAddress = sender.sin_addr.s_addr;
  m_lastSenderPort = ntohs(sender.sin_port);
  return std::string(buffer.data(), static_cast<std::size_t>(count));
}

void UdpPeer::Reply(const std::string& bytes) {
  if (m_lastSenderPort == 0) Fail("no sender to reply to");
  SendTo(m_lastSenderAddress, m_lastSenderPort, bytes);
}

}  // namespace vqtest
