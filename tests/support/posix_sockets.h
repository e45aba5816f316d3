#pragma once
// Sockets set up with the system's own calls, for tests of code that only
// uses them: the sockets library offers no bind, connect, listen or accept,
// as the program needs none. A descriptor becomes a handle of the sockets
// library through the process's handle table. Like udp_peer.h, this header
// includes no socket headers, so it can sit next to the sockets library's.
#include <cstdint>

namespace vqtest {

// A connected TCP pair on 127.0.0.1, both ends blocking and close-on-exec.
// Throws std::runtime_error when the system refuses.
struct LoopbackStreamPair {
  int client = -1;
  int server = -1;
};
LoopbackStreamPair ConnectLoopbackStreams();

// Enters a socket descriptor into the handle table; the sockets library then
// serves it as one of its own sockets, and its closesocket closes it.
std::uint32_t AdoptAsSocket(int fd);

// Binds the socket behind a handle of the sockets library to 127.0.0.1 and an
// ephemeral port; the port in host order. Throws std::runtime_error on failure.
std::uint16_t BindToLoopback(std::uint32_t socket);

// Connects the datagram socket behind a handle to 127.0.0.1 and the port
// (host order). Throws std::runtime_error on failure.
void ConnectToLoopback(std::uint32_t socket, std::uint16_t port);

}  // namespace vqtest
