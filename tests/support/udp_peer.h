#pragma once
// A UDP endpoint on loopback for tests, made with plain POSIX sockets so
// that it does not depend on the sockets layer under test. Its header
// includes no socket headers, so it can sit next to the sockets library's.
#include <cstdint>
#include <optional>
#include <string>

namespace vqtest {

class UdpPeer {
 public:
  // Binds to the IPv4 address (dotted text) on the port (host order; 0:
  // an ephemeral one).
  explicit UdpPeer(const char* address = "127.0.0.1", std::uint16_t port = 0);
  ~UdpPeer();
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;

  std::uint32_t Address() const { return m_address; }  // network byte order
  std::uint16_t Port() const { return m_port; }        // host byte order

  // Sends one datagram to an address (network order) and port (host order).
  void SendTo(std::uint32_t address, std::uint16_t port, const std::string& bytes);
  // Waits up to timeoutMs for one datagram; nullopt on time-out. Remembers
  // the sender for Reply.
  std::optional<std::string> Receive(int timeoutMs = 5000);
  // Sends to the sender of the last datagram received.
  void Reply(const std::string& bytes);
  std::uint16_t LastSenderPort() const { return m_lastSenderPort; }        // host order
  std::uint32_t LastSenderAddress() const { return m_lastSenderAddress; }  // network order

 private:
  int m_fd = -1;
  std::uint32_t m_address = 0;
  std::uint16_t m_port = 0;
  std::uint32_t m_lastSenderAddress = 0;
  std::uint16_t m_lastSenderPort = 0;
  void* m_host = nullptr;  // Windows: the host's peer standing in (host_process_win32.h)
};

}  // namespace vqtest
