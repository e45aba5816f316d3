#include "tests/support/posix_sockets.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "platform/kernel/handle_table.h"

namespace vqtest {
namespace {

[[noreturn]] void Fail(const char* what) { throw std::runtime_error(std::string("posix_sockets: ") + what); }

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

std::uint16_t BoundPort(int fd) {
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof(address);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    Fail("bind");
  }
  return ntohs(address.sin_port);
}

void Connect(int fd, std::uint16_t port) {
  const sockaddr_in address = Loopback(port);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) Fail("connect");
}

int DescriptorOf(std::uint32_t socket) {
  const int fd = kernel::DescriptorOf(socket);
  if (fd < 0) Fail("not a handle");
  return fd;
}

}  // namespace

LoopbackStreamPair ConnectLoopbackStreams() {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) Fail("socket");
  LoopbackStreamPair pair;
  try {
    const std::uint16_t port = BoundPort(listener);
    if (::listen(listener, 1) != 0) Fail("listen");
    pair.client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (pair.client < 0) Fail("socket");
    Connect(pair.client, port);
    pair.server = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (pair.server < 0) Fail("accept");
  } catch (...) {
    if (pair.client >= 0) ::close(pair.client);
    ::close(listener);
    throw;
  }
  ::close(listener);
  return pair;
}

std::uint32_t AdoptAsSocket(int fd) { return kernel::InsertHandle(fd, kernel::HandleKind::Socket); }

std::uint16_t BindToLoopback(std::uint32_t socket) { return BoundPort(DescriptorOf(socket)); }

void ConnectToLoopback(std::uint32_t socket, std::uint16_t port) { Connect(DescriptorOf(socket), port); }

}  // namespace vqtest
