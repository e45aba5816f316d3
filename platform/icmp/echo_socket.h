#pragma once
// The ICMP socket behind one echo handle.
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/icmp/icmp_diagnostics.h"

namespace icmp {

class EchoSocket {
 public:
  // Opens an unprivileged ICMP socket, or a raw one when that is refused.
  // On failure returns null and fills `failure`; errno holds the last cause.
  static std::shared_ptr<EchoSocket> Open(OpenFailureInfo& failure);

  EchoSocket(int fd, EchoSocketKind kind, std::uint16_t identifier);
  ~EchoSocket();
  EchoSocket(const EchoSocket&) = delete;
  EchoSocket& operator=(const EchoSocket&) = delete;

  int fd() const { return m_fd; }
  EchoSocketKind kind() const { return m_kind; }
  // The identifier we put in requests; on an unprivileged socket the kernel
  // replaces it with its own, which the exchange reads back after sending.
  std::uint16_t identifier() const { return m_identifier; }
  std::uint16_t NextSequence() { return ++m_sequence; }
  // One exchange at a time per socket: each waiter would read and discard
  // the other's replies.
  std::mutex& exchangeMutex() { return m_exchangeMutex; }

 private:
  int m_fd;
  EchoSocketKind m_kind;
  std::uint16_t m_identifier;
  std::uint16_t m_sequence = 0;
  std::mutex m_exchangeMutex;
};

}  // namespace icmp
