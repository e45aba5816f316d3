#include "platform/kernel/wake_event.h"

#include "platform/kernel/windef.h"

namespace kernel {
namespace {

// A datagram socket bound to loopback and connected to itself, not blocking.
SOCKET OpenSelfConnectedSocket() {
  SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return s;
  sockaddr_in self{};
  self.sin_family = AF_INET;
  self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof self;
  u_long nonBlocking = 1;
  if (::bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&self), &length) != 0 ||
      ::connect(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
      ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    ::closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

}  // namespace

WakeEvent::WakeEvent() : m_source{INVALID_SOCKET} {
  WSADATA data{};
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
  m_source.handle = OpenSelfConnectedSocket();
  if (m_source.handle == INVALID_SOCKET) {
    ::WSACleanup();
  }
}

WakeEvent::~WakeEvent() {
  if (m_source.handle == INVALID_SOCKET) return;
  ::closesocket(m_source.handle);
  ::WSACleanup();
}

void WakeEvent::Set() {
  const char byte = 1;
  // Fails only when the buffer is full of earlier sets: set already.
  if (m_source.handle != INVALID_SOCKET) (void)::send(m_source.handle, &byte, 1, 0);
}

void WakeEvent::Reset() {
  char bytes[64];
  if (m_source.handle == INVALID_SOCKET) return;
  while (::recv(m_source.handle, bytes, sizeof bytes, 0) > 0) {
  }
}

}  // namespace kernel
