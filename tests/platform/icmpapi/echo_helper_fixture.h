#pragma once
// For tests of quillmar-echo-helper: a copy of the helper that carries
// cap_net_raw, an ordinary user's life in a private network namespace, and
// a direct line to a helper process.
#include <sys/types.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/icmpapi/echo_helper_protocol.h"
#include "tests/support/netns_namespace.h"

namespace echo_helper_test {

// A copy of the built helper in a fresh folder under /tmp, with or without
// the cap_net_raw file capability. Made as root in the test process, before
// any child drops its privileges; removed again by the destructor.
class HelperCopy {
 public:
  // Empty reason: the copy is ready. Otherwise why it could not be made
  // (no setcap, a file system without capabilities): the test skips.
  explicit HelperCopy(bool withCapability);
  ~HelperCopy();
  HelperCopy(const HelperCopy&) = delete;
  HelperCopy& operator=(const HelperCopy&) = delete;

  const std::string& path() const { return m_path; }
  const std::string& skipReason() const { return m_skipReason; }

 private:
  std::string m_folder;
  std::string m_path;
  std::string m_skipReason;
};

// The namespace an ordinary user's child runs in (RunAsOrdinaryUser).
struct ChildNetwork {
  bool silentHosts = false;    // 198.51.100.0/24 routed to a silent neighbour (AddSilentNetwork)
  bool echoesIgnored = false;  // net.ipv4.icmp_echo_ignore_all: loopback answers no echo
};

// A test that needs a capable helper copy; skips when root or setcap is missing.
class CapableHelperTest : public ::testing::Test {
 protected:
  void SetUp() override;
  const std::string& helperPath() const { return m_copy->path(); }

  // Runs body in a forked child (VQ_RUN_IN_CHILD) that has become the user
  // nobody in a new namespace admitting no ping group, with the helper copy
  // as the ICMP library's echo helper. Skips when a silent network is asked
  // for and the ip tool is missing.
  void RunAsOrdinaryUser(const std::function<void()>& body, ChildNetwork network = {});

 private:
  std::unique_ptr<HelperCopy> m_copy;
};

// A dotted-quad text as an address in network order.
std::uint32_t Ipv4(const char* text);

// A new network namespace whose ping_group_range admits nobody ("1 0"):
// Debian's default, where its own ping needs cap_net_raw.
netns::Namespace NamespaceWithoutPingGroup();

// In a forked child: moves into the namespace for good and becomes the user
// nobody, with no capability left.
void BecomeOrdinaryUserIn(const netns::Namespace& ns);

// Both of the above: a forked child's usual start.
netns::Namespace OrdinaryUserWithoutPingGroup();

// Routes 198.51.100.0/24 from the namespace to a neighbour that drops it:
// every host there is silent, echoes simply vanish. The link lasts as long
// as the neighbour returned. Needs the ip tool.
[[nodiscard]] netns::Namespace AddSilentNetwork(const netns::Namespace& ns);

// The process's capability sets as /proc/PID/status shows them.
struct CapabilitySets {
  std::uint64_t effective = ~0uLL;
  std::uint64_t permitted = ~0uLL;
};
CapabilitySets CapabilitiesOf(pid_t pid);

// Pids of the calling process's children, from /proc.
std::vector<pid_t> ChildrenOfThisProcess();

// A helper started by the test itself, talked to with raw protocol bytes.
class HelperLine {
 public:
  explicit HelperLine(const std::string& path);
  ~HelperLine();
  HelperLine(const HelperLine&) = delete;
  HelperLine& operator=(const HelperLine&) = delete;

  pid_t pid() const { return m_pid; }
  // The hello, or nothing when the helper said none within a few seconds.
  std::optional<icmpapi::helper::Hello> ReadHello();
  bool Send(const std::vector<std::uint8_t>& bytes);
  // Sends the bytes; reads one reply (header and record) when one comes.
  std::optional<icmpapi::helper::Reply> Ask(const std::vector<std::uint8_t>& request);
  // Reads the next reply, waiting a few seconds at most.
  std::optional<icmpapi::helper::Reply> ReadReply();
  // Closes our end and returns the helper's exit status (-1: killed or
  // still running after a few seconds, then killed).
  int CloseAndWait();

 private:
  bool Receive(std::uint8_t* buffer, std::size_t size);
  pid_t m_pid = -1;
  int m_fd = -1;
};

}  // namespace echo_helper_test
