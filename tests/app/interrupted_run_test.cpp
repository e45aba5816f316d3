// Ctrl-C (or SIGTERM, SIGHUP) during a many-server run: what was gathered
// is printed, the rest is counted on standard error, and the program ends
// by the signal.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/silent_resolver.h"
#include "tests/support/status_server_process.h"
#include "tests/support/udp_peer.h"

namespace {

constexpr int kAnswering = 4;
constexpr int kSilent = 4;  // nobody listens there: each waits its full 5 s

struct Servers {
  std::vector<std::string> answering;
  std::vector<std::string> all;
};

Servers SomeOfEach() {
  Servers servers;
  for (int i = 0; i < kAnswering + kSilent; ++i) {
    const std::string address = vqtest::DistinctLoopbackAddress();
    if (i < kAnswering) servers.answering.push_back(address);
    servers.all.push_back(address);
  }
  return servers;
}

// Answers one request on each answering address, then signals the program.
vqtest::ProgramRun RunAndSignal(const Servers& servers, std::vector<std::string> options, int signal) {
  std::vector<std::unique_ptr<vqtest::UdpPeer>> peers;
  for (const std::string& address : servers.answering) {
    peers.push_back(std::make_unique<vqtest::UdpPeer>(address.c_str(), 6971));
  }
  options.emplace_back("--query");
  options.insert(options.end(), servers.all.begin(), servers.all.end());
  return vqtest::RunProgram(QUILLMAR_EXE, options, [&](int pid) {
    for (const auto& peer : peers) {
      if (peer->Receive()) peer->Reply(std::string("a\x01") + "b\x01" + "Up\x01");
    }
    kill(pid, signal);
  });
}

// The count of the note "N of M servers not done".
int LeftOut(const std::string& errors) {
  const std::size_t at = errors.find("interrupted: ");
  return at == std::string::npos ? -1 : std::stoi(errors.substr(at + 13));
}

TEST(InterruptedRunTest, JsonHoldsTheServersDoneAndTheNoteCountsTheRest) {
  const Servers servers = SomeOfEach();
  const vqtest::ProgramRun run = RunAndSignal(servers, {"--json"}, SIGINT);
  EXPECT_EQ(run.exitStatus, 128 + SIGINT);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(run.output), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << run.output;
  ASSERT_TRUE(document.isArray());
  const std::set<std::string> answering(servers.answering.begin(), servers.answering.end());
  for (const auto& server : document.array()) {
    EXPECT_TRUE(answering.contains(server.toObject()["address"].toString().toStdString()));
    EXPECT_TRUE(server.toObject()["detected"].toBool());
  }
  EXPECT_EQ(LeftOut(run.errors), static_cast<int>(servers.all.size()) - static_cast<int>(document.array().size()))
      << run.errors;
  EXPECT_GE(LeftOut(run.errors), kSilent);
}

TEST(InterruptedRunTest, TextRowsOfTheServersDoneOnTermAndHangUp) {
  for (const int signal : {SIGTERM, SIGHUP}) {
    const Servers servers = SomeOfEach();
    const vqtest::ProgramRun run = RunAndSignal(servers, {}, signal);
    EXPECT_EQ(run.exitStatus, 128 + signal);
    EXPECT_EQ(run.output.rfind("ADDRESS", 0), 0u) << run.output;  // the table's header
    const auto rows = static_cast<int>(std::count(run.output.begin(), run.output.end(), '\n')) - 1;
    EXPECT_EQ(LeftOut(run.errors), static_cast<int>(servers.all.size()) - rows) << run.errors;
    for (const std::string& silent : std::vector(servers.all.begin() + kAnswering, servers.all.end())) {
      EXPECT_EQ(run.output.find(silent + " "), std::string::npos) << silent;
    }
  }
}

// Ctrl-C while a name's lookup waits on a resolver that never answers (in a
// namespace of the test's own): the run ends at once with what it has, the
// dotted quad asked meanwhile, and the name is counted as left out.
TEST(InterruptedRunTest, SignalDuringASlowLookupEndsTheRunAtOnce) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD(
      [] {
        netns::SilentResolver resolver("127.0.0.1 localhost\n", netns::SilentResolver::Patience::Minutes);
        vqtest::UdpPeer server("127.0.0.2", 6971);
        const vqtest::ProgramRun run =
            vqtest::RunProgram(QUILLMAR_EXE, {"--json", "--query", "slow.test", "127.0.0.2"}, [&](int pid) {
              EXPECT_TRUE(server.Receive()) << "the dotted quad waited for the name";
              server.Reply(std::string("a\x01") + "b\x01" + "Up\x01");
              EXPECT_EQ(resolver.NextQuery().value_or(""), "slow.test");  // its lookup is under way
              kill(pid, SIGINT);
            });
        EXPECT_EQ(run.exitStatus, 128 + SIGINT);
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(run.output));
        ASSERT_TRUE(document.isArray()) << run.output;
        for (const auto& server : document.array()) {
          EXPECT_EQ(server.toObject()["address"].toString(), "127.0.0.2");
        }
        EXPECT_EQ(LeftOut(run.errors), 2 - static_cast<int>(document.array().size())) << run.errors;
        EXPECT_GE(LeftOut(run.errors), 1) << run.errors;
      },
      30);  // far less than the resolver's patience: a run that waits for the lookup fails
}

}  // namespace
