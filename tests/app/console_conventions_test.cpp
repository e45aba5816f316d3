// What users of ping, fping and dig rely on: the console never loads the
// widget toolkit, fails loudly when its output cannot be written, and works
// without a display, with nothing but its own texts on standard error.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/scoped_working_directory.h"
#include "tests/support/status_server_process.h"

namespace {

enum class Output { Captured, DevFull, Closed };

struct ProcessResult {
  int exitStatus = -1;
  std::string output;
  std::string errors;
};

std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder for the streams of one run, apart from the working directory.
class StreamFolder {
 public:
  StreamFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vq-streams-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  ~StreamFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  StreamFolder(const StreamFolder&) = delete;
  StreamFolder& operator=(const StreamFolder&) = delete;
  const std::filesystem::path& path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

// Runs quillmar to its end with the environment given (NAME=VALUE, in place
// of this process's) and standard output as asked; the streams go through
// files, so a long wait cannot fill a pipe.
ProcessResult RunQuillmar(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                          Output output = Output::Captured) {
  const StreamFolder scratch;
  const std::filesystem::path out = scratch.path() / "out";
  const std::filesystem::path err = scratch.path() / "err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output == Output::Captured) posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
  if (output == Output::DevFull) posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
  if (output == Output::Closed) posix_spawn_file_actions_addclose(&actions, 1);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
  std::vector<std::string> argvText = {QUILLMAR_EXE};
  argvText.insert(argvText.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(argvText.size() + 1);
  for (std::string& text : argvText) argv.push_back(text.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText = environment;
  std::vector<char*> envp;
  envp.reserve(envText.size() + 1);
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  ProcessResult run;
  if (posix_spawn(&pid, QUILLMAR_EXE, &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.output = Slurp(out);
  run.errors = Slurp(err);
  return run;
}

// A plain session without a display: no DISPLAY, no Wayland, no Qt platform,
// no runtime directory (which the toolkit would note on standard error).
std::vector<std::string> WithoutDisplay(std::vector<std::string> extra = {}) {
  std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "HOME=/nonexistent", "LANG=C.UTF-8"};
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
  }
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

TEST(ConsoleConventionsTest, NoConsoleModeLoadsAnyQtLibrary) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress()});
  const vqtest::ScopedWorkingDirectory loader;
  const std::vector<std::vector<std::string>> modes = {{"--query", server.AddressText(), "--json"},
                                                       {"--query", server.AddressText(), "nowhere.invalid"},
                                                       {"--query", server.AddressText(), "--json-lines"},
                                                       {"--query", server.AddressText(), "--watch=0.5", "--count", "2"},
                                                       {"--list"},
                                                       {"--query-list"},
                                                       {"--help"},
                                                       {"--version"},
                                                       {"--no-such-option"}};
  for (const std::vector<std::string>& mode : modes) {
    SCOPED_TRACE(mode[0]);
    const std::filesystem::path log = loader.path() / "loaded";
    // The dynamic loader lists every object it maps, at start and later.
    RunQuillmar(mode, WithoutDisplay({"LD_DEBUG=files", "LD_DEBUG_OUTPUT=" + log.string()}));
    std::string loaded;
    for (const auto& entry : std::filesystem::directory_iterator(loader.path())) {
      if (entry.path().filename().string().starts_with("loaded")) loaded += Slurp(entry.path());
    }
    for (const auto& entry : std::filesystem::directory_iterator(loader.path())) std::filesystem::remove(entry.path());
    EXPECT_NE(loaded.find("libc.so"), std::string::npos) << "the loader's log is missing";
    EXPECT_EQ(loaded.find("libQt"), std::string::npos);
  }
}

TEST(ConsoleConventionsTest, OutputThatCannotBeWrittenIsReportedAndExitsOne) {
  const vqtest::ScopedEmptyAddressBook addressBook;
  for (const Output output : {Output::DevFull, Output::Closed}) {
    // The last one hands over to the dialog program, which writes the query's output.
    for (const std::vector<std::string>& mode :
         std::vector<std::vector<std::string>>{{"--help"},
                                               {"--version"},
                                               {"--query", ""},
                                               {"--query", "", "--screenshot", "shot.png"}}) {
      SCOPED_TRACE(mode.back() + (output == Output::DevFull ? " >/dev/full" : " >&-"));
      const ProcessResult run = RunQuillmar(mode, WithoutDisplay(), output);
      EXPECT_EQ(run.exitStatus, 1);
      EXPECT_NE(run.errors.find("write error"), std::string::npos) << run.errors;
    }
  }
  // An empty list writes nothing, which cannot fail.
  const ProcessResult empty = RunQuillmar({"--list"}, WithoutDisplay(), Output::DevFull);
  EXPECT_EQ(empty.exitStatus, 0) << empty.errors;
}

// Every option --help lists ends on its own without a display, and the
// toolkit says nothing on standard error.
TEST(ConsoleConventionsTest, EveryOptionWorksWithoutADisplayAndQuietly) {
  const vqtest::ScopedWorkingDirectory dir;
  const std::string picture = (dir.path() / "dialog.png").string();
  const ProcessResult help = RunQuillmar({"--help"}, WithoutDisplay());
  EXPECT_EQ(help.exitStatus, 0);
  for (const char* option :
       {"--help", "--version", "--query", "--query-list", "--json", "--parallel", "--list", "--screenshot"}) {
    EXPECT_NE(help.output.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(RunQuillmar({"--help-all"}, WithoutDisplay()).output, help.output);
  const ProcessResult version = RunQuillmar({"--version"}, WithoutDisplay());
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.output.rfind("Veloxa Quillmar ", 0), 0u) << version.output;
  const ProcessResult shot = RunQuillmar({"--screenshot", picture}, WithoutDisplay());
  EXPECT_EQ(shot.exitStatus, 0) << shot.errors;
  EXPECT_GT(std::filesystem::file_size(picture), 0u);
  for (const ProcessResult* run : {&help, &version, &shot}) {
    EXPECT_EQ(run->errors.find("QStandardPaths"), std::string::npos) << run->errors;
    EXPECT_EQ(run->errors.find("qt."), std::string::npos) << run->errors;
  }
}

// Without a display the dialog cannot open: the user reads why and what
// works instead, and the program ends with status 1 rather than aborting.
TEST(ConsoleConventionsTest, DialogWithoutADisplaySaysWhatWorksInstead) {
  const ProcessResult unset = RunQuillmar({}, WithoutDisplay());
  EXPECT_EQ(unset.exitStatus, 1);
  EXPECT_NE(unset.errors.find("no display to open the dialog on"), std::string::npos) << unset.errors;
  EXPECT_NE(unset.errors.find("--query"), std::string::npos) << unset.errors;
  const ProcessResult unreachable = RunQuillmar({}, WithoutDisplay({"DISPLAY=:999"}));
  EXPECT_EQ(unreachable.exitStatus, 1);
  EXPECT_NE(unreachable.errors.find("cannot open the dialog: could not connect to display :999"), std::string::npos)
      << unreachable.errors;
}

TEST(ConsoleConventionsTest, ScreenshotThatCannotBeSavedSaysWhyNamingTheFile) {
  const std::string file = "/nonexistent-folder/dialog.png";
  const ProcessResult run = RunQuillmar({"--screenshot", file}, WithoutDisplay());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.errors.find("cannot save the picture to " + file + ": No such file or directory"), std::string::npos)
      << run.errors;
}

}  // namespace
