#include "tests/support/udp_peer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tests/support/host_process_win32.h"
#include "tools/status_server/hex.h"

// The peer's socket is kept in the header's int: socket handles are kernel
// handles, whose values fit in 32 bits. On a loopback address that Wine's
// sockets cannot send from, the host's peer (tests/win32/host/host_udp_peer.cpp) stands in.
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

constexpr int kHostAnswerMs = 10000;  // beyond a receive's own wait

HostProcess& HostOf(void* host) { return *static_cast<HostProcess*>(host); }

// The words of the host peer's answer after `verb`, which it must start with.
std::istringstream HostAnswer(const std::string& line, const std::string& verb) {
  if (line != verb && !line.starts_with(verb + " ")) {
    throw std::runtime_error("UdpPeer: the host's peer said \"" + line + "\" (expected " + verb + ")");
  }
  return std::istringstream(line.substr(verb.size()));
}

}  // namespace

UdpPeer::UdpPeer(const char* address, std::uint16_t port) {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) Fail("WSAStartup");
  in_addr parsed{};
  if (inet_pton(AF_INET, address, &parsed) != 1) Fail("bad address");
  m_address = parsed.s_addr;
  if (NeedsHostStandIn(HostUdpPeer(), address)) {
    auto host = std::make_unique<HostProcess>(HostUdpPeer(), std::vector<std::string>{address, std::to_string(port)});
    HostAnswer(host->ReadLine(kHostAnswerMs).value_or(""), "bound") >> m_port;
    m_host = host.release();
    return;
  }
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
  m_port = ntohs(local.sin_port);
}

UdpPeer::~UdpPeer() {
  delete static_cast<HostProcess*>(m_host);
  if (m_host == nullptr) closesocket(SocketOf(m_fd));
  WSACleanup();
}

void UdpPeer::SendTo(std::uint32_t address, std::uint16_t port, const std::string& bytes) {
  if (m_host != nullptr) {
    HostOf(m_host).WriteLine("send " + std::to_string(address) + " " + std::to_string(port) + " " +
                             status_server::HexFromBytes(bytes));
    HostAnswer(HostOf(m_host).ReadLine(kHostAnswerMs).value_or(""), "sent");
    return;
  }
  const sockaddr_in target = Endpoint(address, port);
  const int sent = sendto(SocketOf(m_fd), bytes.data(), static_cast<int>(bytes.size()), 0,
                          reinterpret_cast<const sockaddr*>(&target), sizeof(target));
  if (sent != static_cast<int>(bytes.size())) Fail("sendto");
}

std::optional<std::string> UdpPeer::Receive(int timeoutMs) {
  if (m_host != nullptr) {
    HostOf(m_host).WriteLine("receive " + std::to_string(timeoutMs));
    const std::string line = HostOf(m_host).ReadLine(timeoutMs + kHostAnswerMs).value_or("");
    if (line == "none") return std::nullopt;
    std::istringstream datagram = HostAnswer(line, "datagram");
    std::string hex;
    datagram >> m_lastSenderAddress >> m_lastSenderPort >> hex;
    return status_server::BytesFromHex(hex).value();
  }
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
