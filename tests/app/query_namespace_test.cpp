// quillmar --query in a private network namespace, where the test decides
// what answers: its loopback holds the only status server, and its echo
// settings are the test's own. The namespace work runs in a forked child
// that touches no widgets; the program runs as a process of its own.
#include <gtest/gtest.h>

#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/private_etc_files.h"
#include "tests/support/status_server_process.h"

namespace {

using vqtest::RunProgram;

const char* const kServerDefaults =
    "HOST\tQuillmar Test Server\nTRACK\tHarbour Loop\nPLAYERS\t3/8\nTYPE\tIntermediate\nSESSION\tRace\n"
    "TIME_LEFT\t30 Mins\n";

TEST(QueryNamespaceTest, HostThatIgnoresTheEchoButAnswersTheStatusRequest) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    ns.WriteSysctl("net.ipv4.icmp_echo_ignore_all", "1");
    ns.EnterPermanently();
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1"});
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.1"});
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    EXPECT_EQ(run.output, std::string("ADDRESS\t127.0.0.1\nPING\t0\n") + kServerDefaults);
    EXPECT_NE(run.errors.find("Ping Timed Out\n"), std::string::npos) << run.errors;
  });
}

// A name is resolved by the echo probe, and the datagram goes where the
// name points: here, by the namespace's own hosts file, to 127.0.0.1, where
// the only server listens.
TEST(QueryNamespaceTest, HostNameSendsTheDatagramToTheAddressItResolvesTo) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    const netns::PrivateHostsFile hosts("127.0.0.1 quillmar-server.test\n");
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1", "--log-requests"});
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", "quillmar-server.test"});
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    EXPECT_NE(run.output.find(kServerDefaults), std::string::npos) << run.output;
    EXPECT_EQ(run.output.rfind("ADDRESS\tquillmar-server.test\n", 0), 0u) << run.output;
    const std::optional<std::string> request = server.ReadLine();
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->rfind("request 127.0.0.1:", 0), 0u) << *request;
  });
}

}  // namespace
