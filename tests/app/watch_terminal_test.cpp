// quillmar --watch on a real terminal: tmux, on a socket of the test's own,
// runs it in a pane of a set size while a stand-in server answers in a
// private network namespace. The pane's screen is read as tmux shows it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/terminal_text.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/status_server_process.h"
#include "tests/support/text_lines.h"

namespace {

using vqtest::Lines;

constexpr char kTmux[] = "/usr/bin/tmux";

// A tmux server of the test's own, stopped at the end.
class Tmux {
 public:
  Tmux() : m_folder(MakeFolder()) {}
  ~Tmux() {
    Run({"kill-server"});
    std::filesystem::remove_all(m_folder);
  }
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;

  std::string Run(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"-S", m_folder + "/socket", "-f", "/dev/null"});
    return vqtest::RunProgram(kTmux, arguments).output;
  }
  std::string Show(const std::string& format) const {
    const std::string shown = Run({"display-message", "-p", "-t", "watch", format});
    return shown.substr(0, shown.find('\n'));
  }

  // Reads the pane (`capture` arguments) until `done` holds for what it
  // shows, for at most 20 seconds.
  std::vector<std::string> Await(const std::function<bool(const std::vector<std::string>&)>& done,
                                 const std::vector<std::string>& capture = {"capture-pane", "-p", "-t",
                                                                            "watch"}) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<std::string> screen = Lines(Run(capture));
    while (!done(screen) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      screen = Lines(Run(capture));
    }
    return screen;
  }

 private:
  static std::string MakeFolder() {
    std::string folder = (std::filesystem::temp_directory_path() / "vq-watch-tmux-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no temporary folder");
    return folder;
  }

  std::string m_folder;
};

bool Holds(const std::vector<std::string>& screen, const std::string& text) {
  return std::ranges::any_of(screen, [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

// A server's row begins with its address, and the stand-in's host name is that address too.
std::string RowStart(const std::string& address) { return address + "  " + address; }
// The same on a narrow terminal, where the host gives way to the figures.
std::string NarrowRowStart(const std::string& address) {
  return address + "  " + address.substr(0, 7) + "\u2026  3/8  ";
}

std::string Joined(const std::vector<std::string>& screen) {
  std::string text;
  for (const std::string& line : screen) text += line + '\n';
  return text;
}

TEST(WatchTerminalTest, LiveTableFollowsTheTerminalAndCtrlCLeavesTheReport) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  if (::access(kTmux, X_OK) != 0) GTEST_SKIP() << "needs tmux (scripts/install-deps installs it)";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "0.0.0.0", "--host-is-address"});
    const std::vector<std::string> addresses = {"127.0.0.2", "127.0.0.3", "127.0.0.4",
                                                "127.0.0.5", "127.0.0.6", "127.0.0.7"};
    Tmux tmux;
    std::string watch = std::string(QUILLMAR_EXE) + " --watch=0.5 --query";
    for (const std::string& address : addresses) watch += " " + address;
    // The shell outlives Ctrl-C (a trap that is not an ignore: the program still gets the
    // signal), says the exit status and keeps the pane open.
    tmux.Run({"new-session", "-d", "-s", "watch", "-x", "120", "-y", "12", "--", "bash", "-c",
              "trap : INT; " + watch + "; echo \"exit status $?\"; exec sleep 600"});

    // Every server's row, its host filled in (the stand-in names its address).
    std::vector<std::string> screen = tmux.Await([&](const std::vector<std::string>& lines) {
      return std::ranges::all_of(addresses,
                                 [&](const std::string& address) { return Holds(lines, RowStart(address)); });
    });
    ASSERT_EQ(screen.size(), 12u) << Joined(screen);
    EXPECT_EQ(screen[0].rfind("Every 0.5 s, round ", 0), 0u) << Joined(screen);
    EXPECT_NE(screen[0].find("Ctrl-C ends"), std::string::npos);
    EXPECT_EQ(screen[1].rfind("ADDRESS", 0), 0u) << Joined(screen);
    for (const std::string& address : addresses) EXPECT_TRUE(Holds(screen, RowStart(address))) << address;
    EXPECT_EQ(tmux.Show("#{alternate_on} #{cursor_flag}"), "1 0");

    // Narrower and lower: every line cut to the width, the rows that do not fit counted.
    tmux.Run({"resize-window", "-t", "watch", "-x", "40", "-y", "6"});
    screen =
        tmux.Await([](const std::vector<std::string>& lines) { return Holds(lines, "\u2026 and 3 more servers"); });
    ASSERT_EQ(screen.size(), 6u) << Joined(screen);
    EXPECT_EQ(screen[5], "\u2026 and 3 more servers");
    for (const std::string& line : screen) EXPECT_LE(DisplayWidth(line), 40u) << line;
    EXPECT_EQ(screen[2].substr(screen[2].size() - 3), "\u2026") << "a row cut, not wrapped: " << screen[2];
    EXPECT_EQ(screen[2].rfind(NarrowRowStart("127.0.0.2"), 0), 0u) << Joined(screen);

    // Ctrl-C: the normal screen again, with the last table and the summary.
    tmux.Run({"send-keys", "-t", "watch", "C-c"});
    const std::vector<std::string> capture = {"capture-pane", "-p", "-J", "-S", "-", "-t", "watch"};
    const std::vector<std::string> history =
        tmux.Await([](const std::vector<std::string>& shown) { return Holds(shown, "exit status "); }, capture);
    EXPECT_TRUE(Holds(history, "exit status 0")) << "every server answered: " << Joined(history);
    EXPECT_EQ(tmux.Show("#{alternate_on} #{cursor_flag}"), "0 1");
    EXPECT_FALSE(Holds(history, "Ctrl-C ends")) << "the live table stayed on its own screen: " << Joined(history);
    std::size_t at = 0;
    while (at < history.size() && history[at].rfind("ADDRESS", 0) != 0) ++at;
    ASSERT_LT(at + addresses.size(), history.size()) << Joined(history);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
      EXPECT_EQ(history[at + 1 + i].rfind(NarrowRowStart(addresses[i]), 0), 0u) << Joined(history);
      EXPECT_TRUE(Holds(history, addresses[i] + " : rounds ")) << Joined(history);
    }
  });
}

}  // namespace
