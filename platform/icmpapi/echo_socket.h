#pragma once
// What stands behind one echo handle: an ICMP socket of this process, or the
// echo helper process that holds one for us.
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/icmpapi/icmp_diagnostics.h"

namespace icmpapi {

class EchoHelperProcess;

// When an answer's arrival is timed. The kernel's receive stamp leaves out
// the time until the answer is read: a window's thread may be repainting
// then, and a batch may be busy sending while answers queue. But turning
// the stamps on is a switch of the whole system, which costs the process
// that turns it on up to 2 ms when no other socket holds it (and until the
// kernel has finished turning it on, it stamps each answer as it is read
// anyway). A thread that does nothing but wait for its one echo reads the
// answer the moment it arrives, so there the time it is read serves as well;
// a socket opened so turns the stamps on when a busy thread first waits on it.
enum class ArrivalStamps { Kernel, AtRead };

class EchoSocket {
 public:
  // Opens an unprivileged ICMP socket, or a raw one when that is refused.
  // On failure returns null and fills `failure`; errno holds the last cause.
  static std::shared_ptr<EchoSocket> Open(OpenFailureInfo& failure, ArrivalStamps stamps = ArrivalStamps::Kernel);

  EchoSocket(int fd, EchoSocketKind kind, std::uint16_t identifier);
  // A handle served by the echo helper; fd() is -1. Shared ownership keeps
  // the helper's code out of programs that only use sockets (the helper).
  explicit EchoSocket(std::shared_ptr<EchoHelperProcess> helper)
      : m_fd(-1), m_kind(EchoSocketKind::Helper), m_identifier(0), m_helper(std::move(helper)) {}
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
  // Turns on kernel receive stamps if they are not on yet.
  void AskForKernelStamps();
  // Null unless the kind is Helper.
  EchoHelperProcess* helper() const { return m_helper.get(); }

 private:
  int m_fd;
  EchoSocketKind m_kind;
  std::uint16_t m_identifier;
  std::uint16_t m_sequence = 0;
  bool m_kernelStamps = false;
  std::mutex m_exchangeMutex;
  std::shared_ptr<EchoHelperProcess> m_helper;
};

}  // namespace icmpapi
