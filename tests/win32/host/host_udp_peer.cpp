// The test peer (udp_peer.h) as a host program, for Windows tests under Wine
// whose peers need a loopback address of their own: Wine's sockets send from
// 127.0.0.1 alone. Built with the host's compiler; udp_peer_win32.cpp drives
// it through tests/win32/host/run_over_connection.
//   udp_peer ADDRESS PORT
// prints "bound PORT" (or "error TEXT"), then answers each line read:
//   send ADDRESS PORT HEX  ->  "sent"
//   receive MILLISECONDS   ->  "datagram ADDRESS PORT HEX" or "none"
// with addresses in network byte order, written as decimal numbers.
#include <cstdint>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tests/support/udp_peer.h"
#include "tools/status_server/hex.h"

namespace {

void Send(vqtest::UdpPeer& peer, std::istringstream& request) {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
  std::string hex;
  request >> address >> port >> hex;
  const std::optional<std::string> bytes = status_server::BytesFromHex(hex);
  if (!bytes) throw std::runtime_error("bad hex in a send request");
  peer.SendTo(address, port, *bytes);
  std::cout << "sent" << std::endl;
}

void Receive(vqtest::UdpPeer& peer, std::istringstream& request) {
  int timeoutMs = 0;
  request >> timeoutMs;
  const std::optional<std::string> datagram = peer.Receive(timeoutMs);
  if (!datagram) {
    std::cout << "none" << std::endl;
    return;
  }
  std::cout << "datagram " << peer.LastSenderAddress() << ' ' << peer.LastSenderPort() << ' '
            << status_server::HexFromBytes(*datagram) << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc != 3) throw std::runtime_error("usage: udp_peer ADDRESS PORT");
    vqtest::UdpPeer peer(argv[1], static_cast<std::uint16_t>(std::stoi(argv[2])));
    std::cout << "bound " << peer.Port() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
      std::istringstream request(line);
      std::string verb;
      request >> verb;
      if (verb == "send") {
        Send(peer, request);
      } else if (verb == "receive") {
        Receive(peer, request);
      } else {
        throw std::runtime_error("unknown request: " + line);
      }
    }
    return 0;
  } catch (const std::exception& e) {
    std::cout << "error " << e.what() << std::endl;
    return 1;
  }
}
