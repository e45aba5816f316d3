#include "tests/platform/icmpapi/echo_helper_fixture.h"

#include <arpa/inet.h>

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/icmpapi/echo_helper_location.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_veth.h"
#include "tests/support/nobody_user.h"
#include "tests/support/platform_seams/echo_helper_path.h"

namespace echo_helper_test {

void CapableHelperTest::SetUp() {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root to give the helper cap_net_raw and to make namespaces";
  m_copy = std::make_unique<HelperCopy>(true);
  if (!m_copy->skipReason().empty()) GTEST_SKIP() << m_copy->skipReason();
}

void CapableHelperTest::RunAsOrdinaryUser(const std::function<void()>& body, ChildNetwork network) {
  if (network.silentHosts && !netns::HaveIpTool()) GTEST_SKIP() << "needs the ip tool (iproute2) for a silent network";
  const std::string path = helperPath();
  VQ_RUN_IN_CHILD([&] {
    const netns::Namespace ns = NamespaceWithoutPingGroup();
    if (network.echoesIgnored) ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    std::optional<netns::Namespace> neighbour;
    if (network.silentHosts) neighbour.emplace(AddSilentNetwork(ns));
    BecomeOrdinaryUserIn(ns);
    if (HasFatalFailure()) return;
    const vqtest::ScopedEchoHelperPath useCopy(path);
    body();
  });
}

std::uint32_t Ipv4(const char* text) {
  in_addr address{};
  inet_pton(AF_INET, text, &address);
  return address.s_addr;
}

namespace {

constexpr int kWaitMs = 5000;

int RunAndWait(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::uint64_t HexField(const std::string& status, const std::string& name) {
  std::istringstream lines(status);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(name + ":", 0) == 0) return std::stoull(line.substr(name.size() + 1), nullptr, 16);
  }
  return ~0uLL;
}

}  // namespace

HelperCopy::HelperCopy(bool withCapability) {
  char folder[] = "/tmp/vq-echo-helper-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    m_skipReason = "cannot make a folder under /tmp";
    return;
  }
  m_folder = folder;
  m_path = m_folder + "/" + "quillmar-echo-helper";
  std::filesystem::copy_file(VQ_ECHO_HELPER, m_path);
  // The user nobody must reach and run the copy.
  ::chmod(folder, 0755);
  ::chmod(m_path.c_str(), 0755);
  if (!withCapability) return;
  struct statvfs fs {};
  if (::statvfs(folder, &fs) == 0 && (fs.f_flag & ST_NOSUID) != 0) {
    m_skipReason = "/tmp is mounted nosuid, so file capabilities are ignored there";
  } else if (RunAndWait({"setcap", "cap_net_raw+ep", m_path}) != 0) {
    m_skipReason = "setcap (libcap2-bin) is missing or the file system under /tmp keeps no capabilities";
  }
}

HelperCopy::~HelperCopy() {
  std::error_code ignored;
  if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
}

netns::Namespace OrdinaryUserWithoutPingGroup() {
  netns::Namespace ns = NamespaceWithoutPingGroup();
  BecomeOrdinaryUserIn(ns);
  return ns;
}

netns::Namespace NamespaceWithoutPingGroup() {
  netns::Namespace ns = netns::Namespace::Create();
  ns.WriteSysctl("net.ipv4.ping_group_range", "1 0");
  return ns;
}

void BecomeOrdinaryUserIn(const netns::Namespace& ns) {
  ns.EnterPermanently();
  ASSERT_TRUE(vqtest::BecomeNobody());
}

CapabilitySets CapabilitiesOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/status");
  std::stringstream text;
  text << file.rdbuf();
  return CapabilitySets{HexField(text.str(), "CapEff"), HexField(text.str(), "CapPrm")};
}

std::vector<pid_t> ChildrenOfThisProcess() {
  std::vector<pid_t> children;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return children;
  while (const dirent* entry = ::readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');  // the command name may hold spaces
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == ::getpid()) children.push_back(pid);
  }
  ::closedir(proc);
  return children;
}

HelperLine::HelperLine(const std::string& path) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
  posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
  char* const argv[] = {const_cast<char*>("quillmar-echo-helper"), nullptr};
  // A helper with a capability runs in secure mode, where the leak checker
  // of sanitizer builds cannot inspect it at exit.
  char* const envp[] = {const_cast<char*>("ASAN_OPTIONS=detect_leaks=0"), nullptr};
  if (::posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv, envp) != 0) m_pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  m_fd = ends[0];
}

HelperLine::~HelperLine() {
  if (m_pid > 0) (void)CloseAndWait();
  if (m_fd >= 0) ::close(m_fd);
}

bool HelperLine::Receive(std::uint8_t* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    pollfd waiting{m_fd, POLLIN, 0};
    if (::poll(&waiting, 1, kWaitMs) <= 0) return false;
    const ssize_t n = ::recv(m_fd, buffer + done, size - done, 0);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<icmpapi::helper::Hello> HelperLine::ReadHello() {
  std::uint8_t bytes[icmpapi::helper::kHelloSize];
  if (!Receive(bytes, sizeof bytes)) return std::nullopt;
  return icmpapi::helper::DecodeHello(bytes);
}

bool HelperLine::Send(const std::vector<std::uint8_t>& bytes) {
  return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::optional<icmpapi::helper::Reply> HelperLine::Ask(const std::vector<std::uint8_t>& request) {
  if (!Send(request)) return std::nullopt;
  return ReadReply();
}

std::optional<icmpapi::helper::Reply> HelperLine::ReadReply() {
  std::uint8_t header[icmpapi::helper::kReplyHeaderSize];
  if (!Receive(header, sizeof header)) return std::nullopt;
  const auto decoded = icmpapi::helper::DecodeReplyHeader(header);
  if (!decoded) return std::nullopt;
  icmpapi::helper::Reply reply{decoded->count, decoded->lastError, std::vector<std::uint8_t>(decoded->recordSize),
                               decoded->tag, decoded->roundTripMicroseconds};
  if (!Receive(reply.record.data(), reply.record.size())) return std::nullopt;
  return reply;
}

netns::Namespace AddSilentNetwork(const netns::Namespace& ns) {
  netns::Namespace neighbour = netns::Namespace::Create();
  netns::AddVethPair(ns, "s0", neighbour, "n0");
  netns::ConfigureInterface(ns, "s0", "192.0.2.1/24");
  netns::ConfigureInterface(neighbour, "n0", "192.0.2.2/24");
  // The neighbour forwards nothing, and drops what it cannot forward
  // without a word.
  ns.Run({"ip", "route", "add", "198.51.100.0/24", "via", "192.0.2.2"});
  return neighbour;
}

int HelperLine::CloseAndWait() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (m_pid <= 0) return -1;
  // Waits for the exit through a pidfd, so a helper that hangs is killed
  // after a bounded wait instead of hanging the test.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
  if (pidfd >= 0) {
    pollfd exited{pidfd, POLLIN, 0};
    if (::poll(&exited, 1, kWaitMs) <= 0) ::kill(m_pid, SIGKILL);
    ::close(pidfd);
  }
  int status = 0;
  while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
  }
  m_pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace echo_helper_test
