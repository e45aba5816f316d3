// Several servers printed as each is done: JSON lines and table rows on a
// pipe while the run goes on, and the live table on a real terminal (tmux).
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/status_server_process.h"
#include "tests/support/text_lines.h"
#include "tests/support/udp_peer.h"

namespace {

using vqtest::Lines;

const std::string kReply = std::string("a\x01") + "b\x01" + "Up\x01";

// quillmar with its standard output read line by line while it runs.
class RunningProgram {
 public:
  explicit RunningProgram(const std::vector<std::string>& arguments) {
    std::string command = QUILLMAR_EXE;
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    m_output = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (m_output == nullptr) throw std::runtime_error("cannot start " + command);
  }
  ~RunningProgram() {
    if (m_output != nullptr) ::pclose(m_output);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // The next line without its line end; empty at the end.
  std::string NextLine() {
    char* line = nullptr;
    std::size_t size = 0;
    const ssize_t length = ::getline(&line, &size, m_output);
    std::string text = length > 0 ? std::string(line, static_cast<std::size_t>(length)) : std::string();
    std::free(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  int ExitStatus() {
    const int status = ::pclose(m_output);
    m_output = nullptr;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  FILE* m_output = nullptr;
};

std::vector<std::unique_ptr<vqtest::UdpPeer>> Peers(std::vector<std::string>& addresses, int count) {
  std::vector<std::unique_ptr<vqtest::UdpPeer>> peers;
  for (int i = 0; i < count; ++i) {
    addresses.push_back(vqtest::DistinctLoopbackAddress());
    peers.push_back(std::make_unique<vqtest::UdpPeer>(addresses.back().c_str(), 6971));
  }
  return peers;
}

void Answer(vqtest::UdpPeer& peer) {
  ASSERT_TRUE(peer.Receive()) << "no status request";
  peer.Reply(kReply);
}

// The first server answers only once the lines of the others have been
// read: had the program held them back until the end, the first server
// would have waited its 5 s and not been detected.
TEST(StreamingOutputTest, JsonLinesComeAsEachServerIsDoneWithItsPosition) {
  std::vector<std::string> addresses;
  const auto peers = Peers(addresses, 4);
  std::vector<std::string> arguments = {"--json-lines", "--query"};
  arguments.insert(arguments.end(), addresses.begin(), addresses.end());
  RunningProgram run(arguments);
  std::set<int> positions;
  for (int i = 1; i < 4; ++i) Answer(*peers[static_cast<std::size_t>(i)]);
  for (int i = 1; i < 4; ++i) {
    const QJsonObject line = QJsonDocument::fromJson(QByteArray::fromStdString(run.NextLine())).object();
    const int position = line.value("position").toInt();
    ASSERT_TRUE(position >= 2 && position <= 4) << position;
    EXPECT_EQ(line.value("address").toString().toStdString(), addresses[static_cast<std::size_t>(position) - 1]);
    EXPECT_TRUE(line.value("detected").toBool());
    positions.insert(position);
  }
  EXPECT_EQ(positions.size(), 3u);
  Answer(*peers[0]);
  const QJsonObject first = QJsonDocument::fromJson(QByteArray::fromStdString(run.NextLine())).object();
  EXPECT_EQ(first.value("position").toInt(), 1);
  EXPECT_TRUE(first.value("detected").toBool()) << "the first server's line came after its time-out";
  EXPECT_EQ(run.NextLine(), "");
  EXPECT_EQ(run.ExitStatus(), 0);
}

// The table's header and rows reach a pipe in the order given, each as soon
// as it and those before it are done: the first two while the third waits.
TEST(StreamingOutputTest, TableRowsReachAPipeInOrderAsTheyAreDone) {
  std::vector<std::string> addresses;
  const auto peers = Peers(addresses, 4);
  std::vector<std::string> arguments = {"--query"};
  arguments.insert(arguments.end(), addresses.begin(), addresses.end());
  RunningProgram run(arguments);
  EXPECT_EQ(run.NextLine().substr(0, 7), "ADDRESS");
  Answer(*peers[3]);
  Answer(*peers[1]);
  Answer(*peers[0]);
  EXPECT_EQ(run.NextLine().substr(0, addresses[0].size() + 1), addresses[0] + ' ');
  EXPECT_EQ(run.NextLine().substr(0, addresses[1].size() + 1), addresses[1] + ' ');
  Answer(*peers[2]);
  for (std::size_t i = 2; i < 4; ++i) {
    const std::string row = run.NextLine();
    EXPECT_EQ(row.substr(0, addresses[i].size() + 1), addresses[i] + ' ') << row;
    EXPECT_NE(row.find("Up"), std::string::npos) << "its host name, so it was not timed out: " << row;
  }
  EXPECT_EQ(run.ExitStatus(), 0);
}

// --- The live table in a terminal of tmux's, on a socket of the test's own.

std::string FoundInPath(const std::string& name) {
  std::istringstream folders(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

class Tmux {
 public:
  Tmux(const std::string& tmux, int columns, int rows, const std::string& command)
      : m_tmux(tmux), m_folder(std::filesystem::temp_directory_path() / ("vq-tmux-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(m_folder);
    Run({"-f", "/dev/null", "new-session", "-d", "-x", std::to_string(columns), "-y", std::to_string(rows),
         "env TERM=screen " + command + "; echo \"exit $?\"; sleep 600"});
  }
  ~Tmux() {
    Run({"kill-server"});
    std::filesystem::remove_all(m_folder);
  }
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;

  // The pane's lines, with those scrolled off above it, until `seen` is
  // true of them; a test with a wrong picture ends at its time limit.
  std::vector<std::string> Until(const std::function<bool(const std::vector<std::string>&)>& seen) const {
    for (;;) {
      std::vector<std::string> lines = Lines(Run({"capture-pane", "-p", "-S", "-"}));
      while (!lines.empty() && lines.back().empty()) lines.pop_back();
      if (seen(lines)) return lines;
    }
  }

 private:
  std::string Run(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"-S", (m_folder / "socket").string()});
    return vqtest::RunProgram(m_tmux, arguments).output;
  }

  std::string m_tmux;
  std::filesystem::path m_folder;
};

bool Has(const std::vector<std::string>& lines, const std::string& start, const std::string& inside) {
  return std::ranges::any_of(lines, [&](const std::string& line) {
    return line.starts_with(start + ' ') && line.find(inside) != std::string::npos;
  });
}

// Twelve servers in a pane of eight lines: the silent first one keeps its
// pending row at the window's top while the rows below it fill in; at the
// end every row is there once, in order, none wider than the pane, and the
// message comes after the table.
TEST(StreamingOutputTest, LiveTableFillsInPlaceAndScrollsInOrder) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  const std::string tmux = FoundInPath("tmux");
  if (tmux.empty()) GTEST_SKIP() << "tmux is not installed (scripts/install-deps installs it)";
  VQ_RUN_IN_CHILD([&] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER,
                                       {"--bind", "0.0.0.0", "--silent-for", "127.0.1.0/24", "--host-is-address"});
    std::string command = std::string(QUILLMAR_EXE) + " --query 127.0.1.1";
    std::vector<std::string> addresses = {"127.0.1.1"};
    for (int i = 2; i <= 12; ++i) addresses.push_back("127.0.0." + std::to_string(i));
    for (std::size_t i = 1; i < addresses.size(); ++i) command += ' ' + addresses[i];
    constexpr std::size_t kColumns = 90;
    const Tmux pane(tmux, kColumns, 8, command);
    const auto waiting = pane.Until([&](const std::vector<std::string>& lines) {
      return Has(lines, "127.0.0.6", "Intermediate") || Has(lines, "exit", "");
    });
    EXPECT_TRUE(Has(waiting, "127.0.1.1", "\u2026")) << "the silent server's row is pending";
    EXPECT_TRUE(Has(waiting, "127.0.0.2", "Intermediate"));
    EXPECT_FALSE(Has(waiting, "127.0.0.7", "")) << "below the window of six rows";

    const auto final = pane.Until([](const std::vector<std::string>& lines) { return Has(lines, "exit", ""); });
    std::vector<std::string> rows;
    for (const std::string& line : final) {
      EXPECT_LE(QString::fromStdString(line).toUcs4().size(), static_cast<qsizetype>(kColumns)) << line;
      const std::string first = line.substr(0, line.find(' '));
      if (first.starts_with("127.") && !first.ends_with(':')) rows.push_back(first);
    }
    EXPECT_EQ(rows, addresses);
    ASSERT_GE(final.size(), 3u);
    EXPECT_EQ(final[final.size() - 2], "127.0.1.1: Veloxa server not detected");
    EXPECT_EQ(final.back(), "exit 1");
    EXPECT_TRUE(Has(final, "127.0.1.1", " -  ")) << "no longer pending";
  });
}

}  // namespace
