#include "tests/support/udp_peer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>
#include <vector>

// The peer's socket is kept in the header's int: socket handles are kernel
// handles, whose values fit in 32 bits.
namespace vqtest {
namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::runtime_error(std::string("UdpPeer: ") + what + " (error " + std::to_string(WSAGetLastError()) + ")");
}

sockaddr_in Endpoint(std::uint32_t address, std::uint16_t port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_addr.s_addr = address;
  endpoint.sin_port = htons(port);
  return endpoint;
}

SOCKET SocketOf(int handle) { return static_cast<SOCKET>(static_cast<unsigned int>(handle)); }

}  // namespace

UdpPeer::UdpPeer(const char* address, std::uint16_t port) {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) Fail("WSAStartup");
  in_addr parsed{};
  if (inet_pton(AF_INET, address, &parsed) != 1) Fail("bad address");
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) Fail("socket");
  sockaddr_in local = Endpoint(parsed.s_addr, port);
  int length = sizeof(local);
  if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    closesocket(s);
    Fail("bind");
  }
  m_fd = static_cast<int>(s);
  m_address = parsed.s_addr;
  m_port = ntohs(local.sin_port);
}

UdpPeer::~UdpPeer() {
  closesocket(SocketOf(m_fd));
  WSACleanup();
}

void UdpPeer::SendTo(std::uint32_t address, std::uint16_t port, const std::string& bytes) {
  const sockaddr_in target = Endpoint(address, port);
  const int sent = sendto(SocketOf(m_fd), bytes.data(), static_cast<int>(bytes.size()), 0,
                          reinterpret_cast<const sockaddr*>(&target), sizeof(target));
  if (sent != static_cast<int>(bytes.size())) Fail("sendto");
}

std::optional<std::string> UdpPeer::Receive(int timeoutMs) {
  WSAPOLLFD item{SocketOf(m_fd), POLLRDNORM, 0};
  if (WSAPoll(&item, 1, timeoutMs) <= 0) return std::nullopt;
  std::vector<char> buffer(65536);
  sockaddr_in sender{};
  int length = sizeof(sender);
  const int count = recvfrom(SocketOf(m_fd), buffer.data(), static_cast<int>(buffer.size()), 0,
                             reinterpret_cast<sockaddr*>(&sender), &length);
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
