#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/scoped_working_directory.h"

namespace {

struct ListRun {
  int exitCode;
  std::string out;
  std::string err;
};

// quillmar --list in the given working directory.
ListRun ListIn(const std::filesystem::path& directory) {
  QProcess program;
  program.setWorkingDirectory(QString::fromStdString(directory.string()));
  program.start(QStringLiteral(QUILLMAR_EXE), {QStringLiteral("--list")});
  if (!program.waitForFinished(60000)) return {-1, {}, {}};
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  return {program.exitCode(), program.readAllStandardOutput().toStdString(),
          program.readAllStandardError().toStdString()};
}

TEST(AddressBookListTest, PrintsTheListedLinesInTheListOrder) {
  vqtest::ScopedWorkingDirectory dir;
  // Slots out of order, a duplicate, a host name and a blank address, one
  // record per line.
  auto record = [](int slot, const std::string& address, const std::string& description) {
    std::string line = "entry" + std::to_string(slot) + "   address = " + address;
    line += std::string(72 - 11 - line.size(), ' ') + "description" + description;
    return line + "\n";
  };
  dir.Write("; servers\n" + record(3, "203.0.113.7", " = Sample hill climb") +
            record(0, "127.0.0.1", " = Local demo server") + record(1, "game.example", " = Host name        ") +
            record(2, "", " = Blank            ") + record(5, "127.0.0.1", " = Local demo server"));
  const ListRun run = ListIn(dir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "127.0.0.1  = Local demo server\n"
            "127.0.0.1  = Local demo server\n"
            "203.0.113.7  = Sample hill climb\n");
  EXPECT_EQ(run.err, "");
}

// A description that runs across a line end or holds a terminal escape
// still prints as one line, as the dialog's list shows it: its tab and line
// ends as blanks, its other control characters as U+FFFD; its other bytes
// print as UTF-8 where they are, as Windows-1252 where not.
TEST(AddressBookListTest, ControlCharactersAreMadeHarmlessOneLinePerEntry) {
  vqtest::ScopedWorkingDirectory dir;
  const std::string key = "entry0" + std::string(13, ' ');
  const std::string address = "127.0.0.1" + std::string(8, ' ');
  dir.Write(key + address + std::string(36, ' ') + " = Caf\xC3\xA9 \x1B[2J\r\nx\x80\xE9" + std::string(10, ' '));
  const ListRun run = ListIn(dir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "127.0.0.1  = Caf\xC3\xA9 \uFFFD[2J  x\xE2\x82\xAC\xC3\xA9  \n");
}

TEST(AddressBookListTest, EmptyBookPrintsNothing) {
  vqtest::ScopedWorkingDirectory dir;
  dir.Write(std::string("\0entry0", 7));
  const ListRun run = ListIn(dir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
}

TEST(AddressBookListTest, FileThatCannotBeOpenedOrReadIsReportedOnStandardError) {
  vqtest::ScopedWorkingDirectory dir;
  ListRun run = ListIn(dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  // As in the dialog: the message, then where the book was looked for.
  EXPECT_EQ(run.err.rfind("There was an error opening the file: address.ini.\n\nIt was looked for in:\n" +
                              (dir.path() / "address.ini").string() + "\n" +
                              (dir.configHome() / "quillmar" / "address.ini").string() + "\n\n",
                          0),
            0u)
      << run.err;

  // The program's own memory file opens but cannot be read at offset 0.
  std::filesystem::create_symlink("/proc/self/mem", dir.path() / "address.ini");
  run = ListIn(dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("address.ini"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("There was an error opening"), std::string::npos) << run.err;
}

}  // namespace
