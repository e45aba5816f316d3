// The ICMP library's use of quillmar-echo-helper: an ordinary user in a
// namespace that refuses unprivileged ICMP sockets gets echo handles served
// by the helper, and the library cleans up after it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/icmpapi/echo_helper_location.h"
#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/last_error.h"
#include "tests/platform/icmpapi/echo_helper_fixture.h"
#include "tests/platform/icmpapi/ping_namespaces.h"
#include "tests/support/netns_child.h"
#include "tests/support/platform_seams/echo_helper_path.h"

namespace {

using echo_helper_test::Ipv4;

using echo_helper_test::HelperCopy;
using Bytes = std::vector<std::uint8_t>;

const Bytes kPayload = [] {
  const std::string text = "Vendrisk Olmaquetra Vendrisk Olmaquetra Vendrisk Olmaquetra";
  return Bytes(text.begin(), text.end());
}();

struct EchoCall {
  DWORD count = 0;
  DWORD lastError = 0;
  Bytes buffer;
  ICMP_ECHO_REPLY Record() const {
    ICMP_ECHO_REPLY record{};
    std::memcpy(&record, buffer.data(), sizeof record);
    return record;
  }
};

EchoCall Echo(HANDLE handle, const char* destination, DWORD timeoutMs, PIP_OPTION_INFORMATION options = nullptr) {
  EchoCall call;
  call.buffer.assign(sizeof(ICMP_ECHO_REPLY) + kPayload.size(), 0);
  SetLastError(0);
  call.count = IcmpSendEcho(handle, Ipv4(destination), const_cast<std::uint8_t*>(kPayload.data()),
                            static_cast<WORD>(kPayload.size()), options, call.buffer.data(),
                            static_cast<DWORD>(call.buffer.size()), timeoutMs);
  call.lastError = GetLastError();
  return call;
}

void ExpectNoChildLeft() {
  EXPECT_TRUE(echo_helper_test::ChildrenOfThisProcess().empty()) << "the helper was not reaped";
}

using EchoHelperClientTest = echo_helper_test::CapableHelperTest;

TEST_F(EchoHelperClientTest, OrdinaryUserGetsARealRoundTripThroughTheHelper) {
  RunAsOrdinaryUser([&] {
    const HANDLE handle = IcmpCreateFile();
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << "last error " << GetLastError();
    const icmpapi::OpenFailureInfo opened = icmpapi::LastOpenFailure();
    EXPECT_EQ(icmpapi_test::KindOpened(opened), icmpapi::EchoSocketKind::Helper);
    EXPECT_EQ(opened.reason, icmpapi::OpenFailure::None);
    EXPECT_NE(opened.unprivilegedErrno, 0) << "the in-process attempt is still on record";

    for (int round = 0; round < 2; ++round) {  // one helper serves the handle's every echo
      const EchoCall call = Echo(handle, "127.0.0.1", 5000);
      ASSERT_EQ(call.count, 1u) << "last error " << call.lastError;
      const ICMP_ECHO_REPLY reply = call.Record();
      EXPECT_EQ(reply.Status, IP_SUCCESS);
      EXPECT_EQ(reply.Address, Ipv4("127.0.0.1"));
      EXPECT_EQ(reply.DataSize, kPayload.size());
      EXPECT_EQ(reply.Data, sizeof(ICMP_ECHO_REPLY));
      EXPECT_GT(reply.Options.Ttl, 0);
      EXPECT_EQ(Bytes(call.buffer.begin() + reply.Data, call.buffer.end()), kPayload);
    }
    const std::vector<pid_t> helpers = echo_helper_test::ChildrenOfThisProcess();
    ASSERT_EQ(helpers.size(), 1u);
    EXPECT_EQ(echo_helper_test::CapabilitiesOf(helpers[0]).effective, 0u);

    EXPECT_TRUE(IcmpCloseHandle(handle));
    ExpectNoChildLeft();
  });
}

TEST_F(EchoHelperClientTest, RequestsTheHelperDoesNotTakeFailBeforeReachingIt) {
  RunAsOrdinaryUser([&] {
    const HANDLE handle = IcmpCreateFile();
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    UCHAR routerAlert[4] = {0x94, 0x04, 0, 0};
    IP_OPTION_INFORMATION withIpOptions{64, 0, 0, sizeof routerAlert, routerAlert};
    const EchoCall options = Echo(handle, "127.0.0.1", 1000, &withIpOptions);
    EXPECT_EQ(options.count, 0u);
    EXPECT_EQ(options.lastError, IP_BAD_OPTION);
    const EchoCall tooLong = Echo(handle, "127.0.0.1", 60001);
    EXPECT_EQ(tooLong.count, 0u);
    EXPECT_EQ(tooLong.lastError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const EchoCall multicast = Echo(handle, "224.0.0.1", 1000);
    EXPECT_EQ(multicast.count, 0u);
    EXPECT_EQ(multicast.lastError, IP_BAD_DESTINATION) << "the helper's own refusal comes back";
    IP_OPTION_INFORMATION defaults{};
    EXPECT_EQ(Echo(handle, "127.0.0.1", 5000, &defaults).count, 1u) << "the handle still works";
    EXPECT_TRUE(IcmpCloseHandle(handle));
    ExpectNoChildLeft();
  });
}

TEST_F(EchoHelperClientTest, AHelperThatDiesLeavesTheHandleFailingCleanly) {
  RunAsOrdinaryUser([&] {
    const HANDLE handle = IcmpCreateFile();
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const std::vector<pid_t> helpers = echo_helper_test::ChildrenOfThisProcess();
    ASSERT_EQ(helpers.size(), 1u);
    ASSERT_EQ(::kill(helpers[0], SIGKILL), 0);
    const EchoCall first = Echo(handle, "127.0.0.1", 1000);
    EXPECT_EQ(first.count, 0u);
    EXPECT_EQ(first.lastError, IP_GENERAL_FAILURE);
    EXPECT_EQ(Echo(handle, "127.0.0.1", 1000).lastError, IP_GENERAL_FAILURE);
    EXPECT_TRUE(IcmpCloseHandle(handle));
    ExpectNoChildLeft();
  });
}

TEST(EchoHelperClient, HelperWithoutTheCapabilityLeavesTheRefusalAndItsAdvice) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root to make namespaces and drop privileges";
  const HelperCopy plain(false);
  ASSERT_TRUE(plain.skipReason().empty()) << plain.skipReason();
  const std::string& path = plain.path();
  VQ_RUN_IN_CHILD([&] {
    const netns::Namespace ns = echo_helper_test::OrdinaryUserWithoutPingGroup();
    const vqtest::ScopedEchoHelperPath useCopy(path);
    EXPECT_EQ(IcmpCreateFile(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    const icmpapi::OpenFailureInfo failure = icmpapi::LastOpenFailure();
    EXPECT_EQ(failure.reason, icmpapi::OpenFailure::NotPermitted);
    EXPECT_EQ(failure.helper, icmpapi::HelperStart::SocketRefused);
    EXPECT_EQ(failure.helperErrno, EPERM);
    // The file to give the capability is the helper that ran, which exists.
    const std::string advice = icmpapi::OpenFailureAdvice(failure);
    EXPECT_NE(advice.find("not permitted"), std::string::npos) << advice;
    EXPECT_NE(advice.find("setcap cap_net_raw+ep " + path + ")"), std::string::npos) << advice;
    ExpectNoChildLeft();
  });
}

// Files that stand where the helper should be, made by root before the
// test's child drops its privileges.
class StandInHelpers {
 public:
  StandInHelpers() {
    char folder[] = "/tmp/vq-helper-standins-XXXXXX";
    if (::mkdtemp(folder) != nullptr) m_folder = folder;
    ::chmod(m_folder.c_str(), 0755);
    Write("not-a-program",
          "\x7f"
          "ELF but nothing more");
    Write("silent-helper", "#!/bin/sh\nexit 0\n");
  }
  ~StandInHelpers() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  std::string Path(const char* name) const { return m_folder + "/" + name; }

 private:
  void Write(const char* name, const char* text) {
    std::ofstream(Path(name)) << text;
    ::chmod(Path(name).c_str(), 0755);
  }
  std::string m_folder;
};

// What the user is told when no echo helper can stand in: each cause in its
// own words, and never a file to give a capability that does not exist.
TEST(EchoHelperClient, EveryWayTheHelperCanFailIsToldApart) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root to make namespaces and drop privileges";
  const StandInHelpers standIns;
  const HelperCopy plain(false);
  ASSERT_TRUE(plain.skipReason().empty()) << plain.skipReason();
  struct Case {
    std::string what;
    std::string path;
    icmpapi::HelperStart outcome;
    int error;
    std::string said;
    bool noDescriptors = false;
  };
  const std::vector<Case> cases = {
      {"not installed", "", icmpapi::HelperStart::NotInstalled, 0, "is not installed"},
      {"failed exec", standIns.Path("not-a-program"), icmpapi::HelperStart::CouldNotRun, ENOEXEC,
       "could not be started: " + std::string(std::strerror(ENOEXEC))},
      {"no hello", standIns.Path("silent-helper"), icmpapi::HelperStart::NoAnswer, 0, "did not answer"},
      {"no free descriptors", plain.path(), icmpapi::HelperStart::CouldNotRun, EMFILE,
       "could not be started: " + std::string(std::strerror(EMFILE)), true},
  };
  for (const Case& c : cases) {
    VQ_RUN_IN_CHILD([&] {
      const netns::Namespace ns = echo_helper_test::OrdinaryUserWithoutPingGroup();
      const vqtest::ScopedEchoHelperPath useStandIn(c.path);
      if (c.noDescriptors) {
        const rlimit none{3, 3};  // standard input, output and error: nothing more
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
      }
      EXPECT_EQ(IcmpCreateFile(), INVALID_HANDLE_VALUE) << c.what;
      const icmpapi::OpenFailureInfo failure = icmpapi::LastOpenFailure();
      EXPECT_EQ(failure.reason, icmpapi::OpenFailure::NotPermitted) << c.what;
      EXPECT_EQ(failure.helper, c.outcome) << c.what;
      EXPECT_EQ(failure.helperErrno, c.error) << c.what;
      EXPECT_EQ(failure.helperPath, c.path) << c.what;
      const std::string advice = icmpapi::OpenFailureAdvice(failure);
      EXPECT_NE(advice.find(c.said), std::string::npos) << c.what << ": " << advice;
      EXPECT_NE(advice.find(c.path), std::string::npos) << c.what << ": " << advice;
      EXPECT_EQ(advice.find("setcap"), std::string::npos) << c.what << ": " << advice;
      EXPECT_EQ(advice.find("not permitted"), std::string::npos) << c.what << ": " << advice;
      ExpectNoChildLeft();
    });
  }
}

}  // namespace
