#include "tests/support/netns_namespace.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace netns {
namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

int OpenCurrentNamespace() {
  const int fd = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open the current network namespace");
  return fd;
}

ino_t InodeOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) Fail("cannot stat a namespace descriptor");
  return st.st_ino;
}

void BringLoopbackUp() {
  const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (sock < 0) Fail("cannot open a socket to configure loopback");
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  const bool ok = ::ioctl(sock, SIOCGIFFLAGS, &request) == 0 &&
                  (request.ifr_flags |= IFF_UP, ::ioctl(sock, SIOCSIFFLAGS, &request) == 0);
  const int err = errno;
  ::close(sock);
  errno = err;
  if (!ok) Fail("cannot bring the loopback interface up");
}

std::string SysctlPath(const std::string& name) {
  std::string path = "/proc/sys/" + name;
  std::replace(path.begin() + 10, path.end(), '.', '/');
  return path;
}

}  // namespace

bool HaveRoot() { return ::geteuid() == 0; }

Namespace Namespace::Create() {
  const int previous = OpenCurrentNamespace();
  if (::unshare(CLONE_NEWNET) != 0) {
    ::close(previous);
    Fail("cannot create a network namespace");
  }
  Namespace created(OpenCurrentNamespace());
  const bool back = ::setns(previous, CLONE_NEWNET) == 0;
  ::close(previous);
  if (!back) Fail("cannot return to the previous network namespace");
  ScopedEnter inside(created);
  BringLoopbackUp();
  return created;
}

Namespace::Namespace(Namespace&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

Namespace::~Namespace() {
  if (m_fd >= 0) ::close(m_fd);
}

std::string Namespace::Path() const { return "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(m_fd); }

void Namespace::WriteSysctl(const std::string& name, const std::string& value) const {
  ScopedEnter inside(*this);
  // The setting file belongs to the namespace of the thread that opens it;
  // make sure that is ours before changing anything.
  const int current = OpenCurrentNamespace();
  const bool ours = InodeOf(current) == InodeOf(m_fd);
  ::close(current);
  if (!ours) throw std::runtime_error("refusing to write " + name + " outside the test's own namespace");
  const int fd = ::open(SysctlPath(name).c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + name);
  const ssize_t written = ::write(fd, value.data(), value.size());
  const int err = errno;
  ::close(fd);
  errno = err;
  if (written != static_cast<ssize_t>(value.size())) Fail("cannot write " + name);
}

void Namespace::Run(const std::vector<std::string>& argv) const {
  std::string commandLine;
  for (const std::string& arg : argv) commandLine += (commandLine.empty() ? "" : " ") + arg;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ScopedEnter inside(*this);  // the child starts in the calling thread's namespace
  const pid_t pid = ::fork();
  if (pid < 0) Fail("cannot start " + commandLine);
  if (pid == 0) {
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) Fail("cannot wait for " + commandLine);
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("command failed (status " + std::to_string(status) + "): " + commandLine);
  }
}

void Namespace::EnterPermanently() const {
  if (::setns(m_fd, CLONE_NEWNET) != 0) Fail("cannot enter a network namespace");
}

ScopedEnter::ScopedEnter(const Namespace& target) : m_previous(OpenCurrentNamespace()) {
  if (::setns(target.fd(), CLONE_NEWNET) != 0) {
    ::close(m_previous);
    Fail("cannot enter a network namespace");
  }
}

ScopedEnter::~ScopedEnter() {
  // Failing to return would leave the thread in a namespace that is about to
  // vanish; there is nothing sensible to continue with.
  if (::setns(m_previous, CLONE_NEWNET) != 0) std::abort();
  ::close(m_previous);
}

}  // namespace netns
