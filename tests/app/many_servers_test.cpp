// quillmar --query with several addresses, and --query-list, run as a
// process in a private network namespace where one stand-in server answers
// for the whole loopback range except the addresses it is told to ignore.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "tests/support/address_book_records.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/scoped_working_directory.h"
#include "tests/support/status_server_process.h"
#include "tests/support/text_lines.h"

namespace {

using vqtest::Lines;
using vqtest::RunProgram;

// Answers every request sent to 127.0.0.0/8 from the address it was sent to,
// naming that address as its host, except for 127.0.1.0/24.
vqtest::StatusServerProcess ServerForTheRange() {
  return vqtest::StatusServerProcess(VQ_STATUS_SERVER, {"--bind", "0.0.0.0", "--silent-for", "127.0.1.0/24",
                                                        "--host-is-address", "--level", "2"});
}

TEST(ManyServersTest, MixedServersComeBackInTheOrderGivenAndFailTheExitStatus) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    const std::vector<std::string> addresses = {"127.0.0.3", "nowhere.invalid", "127.0.1.1", "127.0.0.2", "127.0.0.3"};
    std::vector<std::string> arguments = {"--json", "--query"};
    arguments.insert(arguments.end(), addresses.begin(), addresses.end());
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, arguments);
    EXPECT_EQ(run.exitStatus, 1) << run.errors;
    const QJsonArray results = QJsonDocument::fromJson(QByteArray::fromStdString(run.output)).array();
    ASSERT_EQ(results.size(), 5) << run.output;
    for (qsizetype i = 0; i < results.size(); ++i) {
      const QJsonObject result = results[i].toObject();
      EXPECT_EQ(result.value("address").toString().toStdString(), addresses[static_cast<std::size_t>(i)]);
      const bool answers = i == 0 || i == 3 || i == 4;
      EXPECT_EQ(result.value("detected").toBool(), answers) << i;
      EXPECT_EQ(result.value("host").toString().toStdString(), answers ? addresses[static_cast<std::size_t>(i)] : "");
      EXPECT_EQ(result.value("type").toString(), answers ? QStringLiteral("Pro") : QString());
      // Loopback answers every echo here: the round trip is known to the microsecond.
      EXPECT_EQ(result.value("rtt_ms").isDouble(), i != 1) << i;
    }
    EXPECT_EQ(results[1].toObject().value("messages").toArray(), QJsonArray{QStringLiteral("Invalid server address")});
    EXPECT_EQ(results[2].toObject().value("messages").toArray(),
              QJsonArray{QStringLiteral("Veloxa server not detected")});
    // Standard error names the server of each message, in the same order.
    EXPECT_EQ(Lines(run.errors), (std::vector<std::string>{"nowhere.invalid: Invalid server address",
                                                           "127.0.1.1: Veloxa server not detected"}));
  });
}

TEST(ManyServersTest, TextFormIsOneAlignedLinePerServerAndEveryAnswerExitsZero) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.10", "127.0.0.200"});
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    EXPECT_TRUE(run.errors.empty()) << run.errors;
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 3u) << run.output;
    EXPECT_EQ(lines[0].substr(0, 7), "ADDRESS");
    for (const char* column : {"PING", "PLAYERS", "TYPE", "SESSION", "TIME_LEFT", "HOST", "TRACK"}) {
      const std::size_t at = lines[0].find(column);
      ASSERT_NE(at, std::string::npos) << column;
      // Every line has its value of the column where the header has its name.
      EXPECT_NE(lines[1][at], ' ') << column;
      EXPECT_EQ(lines[1][at - 1], ' ') << column;
      EXPECT_NE(lines[2][at], ' ') << column;
    }
    EXPECT_NE(lines[1].find("127.0.0.10  "), std::string::npos);
    EXPECT_NE(lines[2].find("Pro"), std::string::npos);
    EXPECT_EQ(lines[2].substr(lines[2].size() - 12), "Harbour Loop");
  });
}

// An empty address is named '' on standard error and in the table; a
// 5,000-character one is cut in the table instead of widening every row.
TEST(ManyServersTest, EmptyAndOverlongAddressesReadWell) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    const std::string overlong(5000, '7');
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", "", overlong, "127.0.0.4"});
    EXPECT_EQ(run.exitStatus, 1) << run.errors;
    EXPECT_EQ(Lines(run.errors),
              (std::vector<std::string>{"'': Invalid server address", overlong + ": Invalid server address"}));
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 4u) << run.output;
    EXPECT_EQ(lines[1].substr(0, 3), "'' ");
    EXPECT_EQ(lines[2].substr(0, 42), std::string(39, '7') + "\u2026");
    for (const std::string& line : lines) EXPECT_LT(line.size(), 200u) << line;
    EXPECT_EQ(lines[0].find("PING"), 42u);  // the cut address's 40 columns and two blanks
  });
}

TEST(ManyServersTest, QueryListAsksTheAddressesOfTheListInItsOrder) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    vqtest::ScopedWorkingDirectory dir;
    using address_book_test::Record;
    dir.Write(Record(0, "127.0.0.9", " = Nine") + Record(1, "127.0.0.10", " = Ten") + Record(2, "127.0.1.4", "No =") +
              Record(3, "host.name", " = Not listed") + Record(4, "127.0.0.11 x", " = Inner blank"));
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query-list", "--json"});
    EXPECT_EQ(run.exitStatus, 1) << run.errors;  // 127.0.1.4 stays silent
    const QJsonArray results = QJsonDocument::fromJson(QByteArray::fromStdString(run.output)).array();
    std::vector<std::string> asked;
    for (const auto& result : results) asked.push_back(result.toObject().value("address").toString().toStdString());
    // The list's order is the sorted list box's: "127.0.0.10 ..." before "127.0.0.9 ...". Each
    // address is the one a double-click takes: the whole address field before " =", else the
    // text before the first blank.
    EXPECT_EQ(asked, (std::vector<std::string>{"127.0.0.10", "127.0.0.11 x", "127.0.0.9", "127.0.1.4"}));
  });
}

// A thousand servers, half of them silent, under a descriptor limit far below
// one per server: every result comes back, in order, from a handful of sockets.
TEST(ManyServersTest, AThousandServersFitInAFewDescriptors) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a private network namespace";
  VQ_RUN_IN_CHILD([] {
    netns::Namespace::Create().EnterPermanently();
    vqtest::StatusServerProcess server = ServerForTheRange();
    std::vector<std::string> arguments = {"--json", "--query"};
    for (int i = 0; i < 1000; ++i) {
      const bool silent = i % 2 == 1;  // 127.0.1.0/24 is the server's silent range
      const int subnet = silent ? 1 : 2 + i / 500;
      arguments.push_back("127.0." + std::to_string(subnet) + "." + std::to_string(1 + (i / 2) % 250));
    }
    constexpr rlim_t kDescriptors = 64;
    const rlimit limit{kDescriptors, kDescriptors};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, arguments);
    EXPECT_EQ(run.exitStatus, 1);
    const QJsonArray results = QJsonDocument::fromJson(QByteArray::fromStdString(run.output)).array();
    ASSERT_EQ(results.size(), 1000) << run.errors;
    int answered = 0;
    for (qsizetype i = 0; i < results.size(); ++i) {
      const QJsonObject result = results[i].toObject();
      const std::string address = arguments[static_cast<std::size_t>(i) + 2];
      ASSERT_EQ(result.value("address").toString().toStdString(), address) << i;
      const bool detected = result.value("detected").toBool();
      EXPECT_EQ(detected, i % 2 == 0) << address;
      if (detected) {
        EXPECT_EQ(result.value("host").toString().toStdString(), address);
      }
      answered += detected ? 1 : 0;
    }
    EXPECT_EQ(answered, 500);
    EXPECT_EQ(Lines(run.errors).size(), 500u) << "one \"not detected\" per silent server";
  });
}

}  // namespace
