#pragma once
// Private network namespaces for tests that need hosts, routers or settings
// of their own (ICMP behaviour, unreachable hosts, ping permissions).
//
// A Namespace is held open by a descriptor; creating one does not move the
// calling thread. ScopedEnter moves the calling thread in and back. Sockets
// keep the namespace they were created in, so a test can enter, open its
// sockets and leave again. Creating and entering namespaces needs root
// (CAP_SYS_ADMIN); use these helpers in a forked child (netns_child.h) so the
// test process itself never changes namespace. Failures throw
// std::runtime_error with the reason.
#include <string>
#include <vector>

namespace netns {

// Root may create namespaces, veth pairs and raw sockets.
bool HaveRoot();

class Namespace {
 public:
  // A new, empty network namespace with its loopback interface up.
  static Namespace Create();

  Namespace(Namespace&& other) noexcept;
  Namespace& operator=(Namespace&&) = delete;
  Namespace(const Namespace&) = delete;
  ~Namespace();

  int fd() const { return m_fd; }
  // A path naming the namespace for tools (`ip link ... netns PATH`) while
  // this process lives.
  std::string Path() const;

  // Writes a sysctl setting (dotted name, e.g. "net.ipv4.ping_group_range")
  // of this namespace; refuses to touch any other namespace than this one.
  void WriteSysctl(const std::string& name, const std::string& value) const;

  // Runs a program (looked up in PATH) inside the namespace and waits for
  // it; throws when it cannot run or exits with a failure.
  void Run(const std::vector<std::string>& argv) const;

  // Moves the calling thread here for good, for a child that is about to
  // drop the privileges it would need to move back.
  void EnterPermanently() const;

 private:
  explicit Namespace(int fd) : m_fd(fd) {}
  int m_fd;
};

// Moves the calling thread into a namespace for the scope's lifetime.
class ScopedEnter {
 public:
  explicit ScopedEnter(const Namespace& target);
  ~ScopedEnter();
  ScopedEnter(const ScopedEnter&) = delete;
  ScopedEnter& operator=(const ScopedEnter&) = delete;

 private:
  int m_previous;
};

}  // namespace netns
