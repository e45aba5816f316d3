// quillmar --query-file: addresses from files and standard input, in the
// order given with --query's, and the faults of a file named with its line.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/scoped_working_directory.h"
#include "tests/support/status_server_process.h"
#include "tests/support/text_lines.h"

namespace {

using vqtest::Lines;
using vqtest::RunProgram;
using namespace std::string_literals;

TEST(QueryFileTest, FilesAndStandardInputJoinTheAddressesInTheOrderGiven) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "0.0.0.0", "--host-is-address"});
    vqtest::ScopedWorkingDirectory dir;
    dir.Write("# servers\n\n  127.0.0.3\t\r\n#127.0.0.9\n \t\n127.0.0.4", "servers.txt");  // no last line end
    dir.Write("127.0.0.6\r\n127.0.0.3\r\n", "input.txt");
    const vqtest::ProgramRun run =
        RunProgram("/bin/sh", {"-c", std::string(QUILLMAR_EXE) + " --json --query 127.0.0.2 --query-file servers.txt "
                                                                 "127.0.0.5 --query-file - < input.txt"});
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    std::vector<std::string> asked;
    for (const auto& result : QJsonDocument::fromJson(QByteArray::fromStdString(run.output)).array()) {
      asked.push_back(result.toObject().value("host").toString().toStdString());
    }
    EXPECT_EQ(asked,
              (std::vector<std::string>{"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5", "127.0.0.6", "127.0.0.3"}));
  });
}

// Nothing is asked when a file is at fault: the message names the file
// (and the line), and the exit status is 1, as for a missing address book.
TEST(QueryFileTest, FaultsNameTheFileAndTheLine) {
  vqtest::ScopedWorkingDirectory dir;
  dir.Write("127.0.0.2\n# fine\n127.0.0.3\0\n"s, "nul.txt");
  dir.Write("127.0.0.2\n" + std::string(1025, '7') + "\n", "long.txt");
  dir.Write("# only a comment\n\n", "empty.txt");
  std::string many;
  for (int i = 0; i < 1000001; ++i) many += "127.0.0.2\n";
  dir.Write(many, "many.txt");
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"--query-file", "nul.txt"}, "nul.txt:3: a NUL byte: not a text file of addresses"},
      {{"--query-file", "long.txt"}, "long.txt:2: line longer than 1024 bytes"},
      {{"--query", "127.0.0.2", "--query-file", "missing.txt"}, "missing.txt: No such file or directory"},
      {{"--query-file", "empty.txt"}, "empty.txt: lists no address"},
      {{"--query-file", "-"}, "(standard input): lists no address"},  // standard input is /dev/null
      {{"--query-file", "."}, ".: Is a directory"},
      {{"--query-file", "many.txt"}, "many.txt:1000001: more than 1000000 addresses: ask them in parts"},
  };
  for (const auto& [arguments, message] : cases) {
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, arguments);
    EXPECT_EQ(run.exitStatus, 1) << message;
    EXPECT_EQ(run.output, "") << message;
    EXPECT_EQ(Lines(run.errors), std::vector<std::string>{"quillmar: " + message});
  }
}

}  // namespace
