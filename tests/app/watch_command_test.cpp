// quillmar --watch run as a process in a private network namespace where one
// stand-in server answers for the loopback range except 127.0.1.0/24: rounds
// that overlap a silent server's wait, lines as they come, and Ctrl-C.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/scoped_working_directory.h"
#include "tests/support/status_server_process.h"
#include "tests/support/text_lines.h"

namespace {

using vqtest::Lines;

vqtest::StatusServerProcess ServerForTheRange() {
  return vqtest::StatusServerProcess(VQ_STATUS_SERVER,
                                     {"--bind", "0.0.0.0", "--silent-for", "127.0.1.0/24", "--host-is-address"});
}

QJsonObject Object(const std::string& line) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
}

// The summary line of an address on standard error.
std::string SummaryOf(const std::string& errors, const std::string& address) {
  for (const std::string& line : Lines(errors)) {
    if (line.rfind(address + " : ", 0) == 0) return line;
  }
  return "";
}

// A program whose standard output is read line by line while it runs.
class LiveProgram {
 public:
  explicit LiveProgram(std::vector<std::string> arguments) {
    int output[2];
    int errors[2];
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(errors, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    arguments.insert(arguments.begin(), QUILLMAR_EXE);
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(output[1], 1);
      ::dup2(errors[1], 2);
      std::vector<char*> argv;
      argv.reserve(arguments.size() + 1);
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(output[1]);
    ::close(errors[1]);
    m_output = output[0];
    m_errors = errors[0];
  }
  ~LiveProgram() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_output);
    ::close(m_errors);
  }
  LiveProgram(const LiveProgram&) = delete;
  LiveProgram& operator=(const LiveProgram&) = delete;

  // The next line of standard output; none at its end.
  std::optional<std::string> ReadLine() {
    for (;;) {
      if (const std::size_t end = m_pending.find('\n'); end != std::string::npos) {
        std::string line = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        return line;
      }
      char buffer[4096];
      const ssize_t n = ::read(m_output, buffer, sizeof buffer);
      if (n <= 0) return std::nullopt;
      m_pending.append(buffer, static_cast<std::size_t>(n));
    }
  }

  void Signal(int signal) const { ::kill(m_pid, signal); }

  // The rest of standard output, all of standard error, and the exit status.
  vqtest::ProgramRun Finish() {
    vqtest::ProgramRun run;
    while (const std::optional<std::string> line = ReadLine()) run.output += *line + '\n';
    char buffer[4096];
    for (ssize_t n; (n = ::read(m_errors, buffer, sizeof buffer)) > 0;) run.errors.append(buffer, std::size_t(n));
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
  }

 private:
  int m_pid = -1;
  int m_output = -1;
  int m_errors = -1;
  std::string m_pending;
};

// Three rounds a second apart while the silent server waits its five
// seconds: it is skipped in the rounds that begin meanwhile, the others are
// asked in every round, and the run ends on its own after the last one.
TEST(WatchCommandTest, CountedRoundsSkipTheServerStillWaiting) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    const std::vector<std::string> addresses = {"127.0.0.2", "127.0.1.1", "127.0.0.3"};
    std::vector<std::string> arguments = {"--watch=1", "--count", "3", "--json-lines", "--query"};
    arguments.insert(arguments.end(), addresses.begin(), addresses.end());
    const vqtest::ProgramRun run = vqtest::RunProgram(QUILLMAR_EXE, arguments);
    EXPECT_EQ(run.exitStatus, 1) << run.errors;
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 9u) << run.output;
    std::map<int, std::set<int>> positionsOfRound;
    for (const std::string& line : lines) {
      const QJsonObject entry = Object(line);
      const int round = entry["round"].toInt();
      const int position = entry["position"].toInt();
      ASSERT_TRUE(position >= 1 && position <= 3) << line;
      EXPECT_TRUE(positionsOfRound[round].insert(position).second) << "twice: " << line;
      EXPECT_EQ(entry["address"].toString().toStdString(), addresses[static_cast<std::size_t>(position - 1)]);
      EXPECT_EQ(entry["time"].toString().size(), 24) << line;  // 2026-12-08T12:00:01.123Z
      const bool silent = position == 2;
      EXPECT_EQ(entry["skipped"].toBool(), silent && round > 1) << line;
      EXPECT_EQ(entry["detected"].toBool(), !silent) << line;
      if (entry["skipped"].toBool()) {
        EXPECT_EQ(entry["waiting_on_round"].toInt(), 1) << line;
      } else if (silent) {
        EXPECT_EQ(entry["messages"].toArray(), QJsonArray{QStringLiteral("Veloxa server not detected")});
      }
    }
    EXPECT_EQ(positionsOfRound, (std::map<int, std::set<int>>{{1, {1, 2, 3}}, {2, {1, 2, 3}}, {3, {1, 2, 3}}}));
    // The silent server's message once, as it first came, then the summary.
    const std::vector<std::string> said = Lines(run.errors);
    ASSERT_EQ(said.size(), 4u) << run.errors;
    EXPECT_EQ(said[0], "127.0.1.1: Veloxa server not detected");
    EXPECT_EQ(SummaryOf(run.errors, "127.0.0.2").rfind("127.0.0.2 : rounds 3, answered 3, loss 0%, echo loss 0%, ", 0),
              0u)
        << run.errors;
    EXPECT_EQ(SummaryOf(run.errors, "127.0.1.1").rfind("127.0.1.1 : rounds 1, answered 0, loss 100%, ", 0), 0u)
        << run.errors;
    EXPECT_NE(SummaryOf(run.errors, "127.0.1.1").find(", skipped 2"), std::string::npos) << run.errors;
  });
}

// On a pipe without --json-lines: a heading and a line of tab-separated
// cells per server and round, for the servers given and those of a file.
TEST(WatchCommandTest, TextLinesOnAPipe) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    const vqtest::ScopedWorkingDirectory dir;
    dir.Write("# one more\n127.0.0.5\n", "servers.txt");
    const vqtest::ProgramRun run = vqtest::RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.4", "--query-file",
                                                                     "servers.txt", "--watch=0.5", "--count", "2"});
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 5u) << run.output;
    EXPECT_EQ(lines[0],
              "TIME\tROUND\tADDRESS\tHOST\tPLAYERS\tRTT\tECHO LOSS%\tSTATUS LOSS%\tBEST\tAVG\tWORST\tTIME LEFT");
    for (std::size_t i = 1; i < lines.size(); ++i) {
      std::vector<std::string> cells;
      std::size_t start = 0;
      for (std::size_t tab; (tab = lines[i].find('\t', start)) != std::string::npos; start = tab + 1) {
        cells.push_back(lines[i].substr(start, tab - start));
      }
      cells.push_back(lines[i].substr(start));
      ASSERT_EQ(cells.size(), 12u) << lines[i];
      EXPECT_EQ(cells[1], i <= 2 ? "1" : "2") << lines[i];
      EXPECT_TRUE(cells[2] == "127.0.0.4" || cells[2] == "127.0.0.5") << lines[i];
      EXPECT_EQ(cells[3], cells[2]) << "the stand-in names its address as the host";
      EXPECT_EQ(cells[6], "0") << lines[i];
      EXPECT_EQ(cells[7], "0") << lines[i];
    }
  });
}

// Ctrl-C once round 2's objects are out: the program stops its rounds,
// counts in the summary every answer it printed, and exits by the rule
// (the silent server never answered: 1), not by the signal.
TEST(WatchCommandTest, InterruptAfterTheSecondRoundKeepsWhatWasAnswered) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    const std::vector<std::string> addresses = {"127.0.0.6", "127.0.0.7", "127.0.1.2"};
    LiveProgram program({"--json-lines", "--watch=0.5", "--query", addresses[0], addresses[1], addresses[2]});
    std::string seen;
    std::set<int> ofRoundTwo;
    while (ofRoundTwo.size() < addresses.size()) {
      const std::optional<std::string> line = program.ReadLine();
      ASSERT_TRUE(line) << "output ended early: " << seen;
      seen += *line + '\n';
      const QJsonObject entry = Object(*line);
      if (entry["round"].toInt() == 2) ofRoundTwo.insert(entry["position"].toInt());
    }
    program.Signal(SIGINT);
    const vqtest::ProgramRun run = program.Finish();
    EXPECT_EQ(run.exitStatus, 1) << run.errors;
    const std::string output = seen + run.output;
    std::map<std::string, int> detected;
    for (const std::string& line : Lines(output)) {
      const QJsonObject entry = Object(line);
      ASSERT_FALSE(entry.isEmpty()) << "not one whole object: " << line;
      if (entry["detected"].toBool()) ++detected[entry["address"].toString().toStdString()];
    }
    EXPECT_GE(detected[addresses[0]], 2);
    for (const std::string& address : addresses) {
      EXPECT_NE(SummaryOf(run.errors, address).find(", answered " + std::to_string(detected[address]) + ", "),
                std::string::npos)
          << address << ": " << run.errors;
    }
    EXPECT_EQ(SummaryOf(run.errors, addresses[2]).rfind(addresses[2] + " : rounds 0, answered 0, loss -", 0), 0u)
        << "its round was stopped unfinished: " << run.errors;
  });
}

}  // namespace
