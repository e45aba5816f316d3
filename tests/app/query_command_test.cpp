// quillmar --query run as a process against the stand-in status server.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/nobody_user.h"
#include "tests/support/hex_text.h"
#include "tests/support/status_reply_text.h"
#include "tests/support/status_server_process.h"
#include "tests/support/text_lines.h"

namespace {

using vqtest::Lines;
using vqtest::RunProgram;

// stderr, minus the address book's complaint when the working folder has no
// "address.ini" (the dialog shows it while it initialises).
std::vector<std::string> QueryMessages(const std::string& errors) {
  std::vector<std::string> lines = Lines(errors);
  std::erase(lines, "There was an error opening the file: address.ini.");
  return lines;
}

TEST(QueryCommandTest, TextFormPrintsEveryFieldInOrder) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Gamma",
                                                        "--level", "2", "--seconds-left", "120"});
  const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", server.AddressText()});
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_EQ(lines.size(), 8u) << run.output;
  EXPECT_EQ(lines[0], "ADDRESS\t" + server.AddressText());
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^PING\t[0-9]+$")).match(QString::fromStdString(lines[1])).hasMatch())
      << lines[1];
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
            (std::vector<std::string>{"HOST\tGamma", "TRACK\tHarbour Loop", "PLAYERS\t3/8", "TYPE\tPro",
                                      "SESSION\tRace", "TIME_LEFT\t2 Mins"}));
  if (netns::HaveRoot()) {
    EXPECT_TRUE(QueryMessages(run.errors).empty()) << run.errors;
  }
}

// The server's 8-bit text is Latin-1: UTF-8 in the output, with JSON escapes;
// the text form keeps each field on its line.
TEST(QueryCommandTest, JsonFormCarriesEveryFieldAndTheMessages) {
  const std::string reply = std::string("a\x01") + "b\x01" + "Caf\xE9 \"T\"\x01" + "Line\nTwo\x01" + "x\x01" + "4\x01" +
                            "y\x01" + "0\x01" + "z\x01" + "S\x01" + "w\x01" + "x60";
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--reply-hex",
                                                        vqtest::HexOf(reply)});
  const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", server.AddressText(), "--json"});
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(run.output), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << run.output;
  const QJsonObject result = document.object();
  EXPECT_EQ(result.value("address").toString().toStdString(), server.AddressText());
  EXPECT_TRUE(result.value("ping_ms").isDouble());
  EXPECT_EQ(result.value("host").toString(), QStringLiteral(u"Café \"T\""));
  EXPECT_EQ(result.value("track").toString(), QStringLiteral("Line\nTwo"));
  EXPECT_EQ(result.value("players").toString(), QStringLiteral("4"));
  EXPECT_EQ(result.value("type").toString(), QStringLiteral("Novice"));
  EXPECT_EQ(result.value("session").toString(), QStringLiteral("S"));
  EXPECT_EQ(result.value("time_left").toString(), QStringLiteral("1 Mins"));
  EXPECT_EQ(result.value("detected"), QJsonValue(true));
  std::vector<std::string> messages;
  for (const auto& message : result.value("messages").toArray()) messages.push_back(message.toString().toStdString());
  EXPECT_EQ(messages, Lines(run.errors));  // the same texts, in the same order

  const vqtest::ProgramRun text = RunProgram(QUILLMAR_EXE, {"--query", server.AddressText()});
  const std::vector<std::string> lines = Lines(text.output);
  ASSERT_EQ(lines.size(), 8u) << text.output;
  EXPECT_EQ(lines[2], "HOST\tCaf\xC3\xA9 \"T\"");
  EXPECT_EQ(lines[3], "TRACK\tLine\uFFFDTwo");
}

// A host name that would read backwards, hide characters or carry controls:
// JSON says exactly which characters the bytes are, the text form shows
// each of them as U+FFFD, as the dialog does.
TEST(QueryCommandTest, SpoofingCharactersAreEscapedInJsonAndReplacedInText) {
  const std::string host =
      // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
      "\xE2\x80\xAE"      // right-to-left override
      "live\xE2\x80\x8B"  // zero-width space
      "x\xC2\x9B\x1B"     // C1 and C0 controls
      "y\x81";            // a Windows-1252 byte without a character
  const std::string reply = vqtest::StatusReply({"a", "b", host, "T", "x", "4", "y", "1", "z", "S", "w", "x60"});
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--reply-hex",
                                                        vqtest::HexOf(reply)});
  const vqtest::ProgramRun json = RunProgram(QUILLMAR_EXE, {"--query", server.AddressText(), "--json"});
  EXPECT_EQ(json.exitStatus, 0) << json.errors;
  EXPECT_NE(json.output.find(R"("host": "\u202elive\u200bx\u009b\u001by\u0081",)"), std::string::npos) << json.output;

  const vqtest::ProgramRun text = RunProgram(QUILLMAR_EXE, {"--query", server.AddressText()});
  const std::vector<std::string> lines = Lines(text.output);
  ASSERT_EQ(lines.size(), 8u) << text.output;
  EXPECT_EQ(lines[2], "HOST\t\uFFFDlive\uFFFDx\uFFFD\uFFFDy\uFFFD");
}

TEST(QueryCommandTest, FailuresGoToStandardErrorInOrderAndExitWithOne) {
  vqtest::StatusServerProcess oversize(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--oversize"});
  vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", oversize.AddressText(), "--json"});
  EXPECT_EQ(run.exitStatus, 1);
  std::vector<std::string> messages = QueryMessages(run.errors);
  ASSERT_FALSE(messages.empty()) << run.errors;
  EXPECT_EQ(messages.back(), "ReceiveDatagram error #10040: message too long");
  const QJsonObject result = QJsonDocument::fromJson(QByteArray::fromStdString(run.output)).object();
  EXPECT_EQ(result.value("detected"), QJsonValue(false));
  EXPECT_EQ(result.value("host").toString(), QString());
  EXPECT_EQ(result.value("messages").toArray().last().toString(), QStringLiteral("ReceiveDatagram error #10040"));

  run = RunProgram(QUILLMAR_EXE, {"--query", ""});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(Lines(run.errors), std::vector<std::string>{"Invalid server address"});
  EXPECT_EQ(run.output, "ADDRESS\t''\nPING\t\nHOST\t\nTRACK\t\nPLAYERS\t\nTYPE\t\nSESSION\t\nTIME_LEFT\t\n");
}

TEST(QueryCommandTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> misuses = {{"--query"},
                                                         {"--json"},
                                                         {"extra"},
                                                         {"--no-such-option"},
                                                         {"--list", "--query", "127.0.0.1"},
                                                         {"--list", "--screenshot", "dialog.png"},
                                                         {"--list", "--json"},
                                                         {"--query-list", "--query", "127.0.0.1"},
                                                         {"--parallel", "4"},
                                                         {"--query", "127.0.0.1", "--parallel", "0"},
                                                         {"--query", "127.0.0.1", "--parallel", "4x"},
                                                         {"--query", "127.0.0.1", "127.0.0.2", "--screenshot",
                                                          "dialog.png"},
                                                         {"--screenshot", "a.png", "--screenshot", "b.png"},
                                                         {"--screenshot", ""},
                                                         {"--json=yes", "--query", "127.0.0.1"},
                                                         {"--json-lines"},
                                                         {"--query", "127.0.0.1", "--json", "--json-lines"},
                                                         {"--query", "127.0.0.1", "--count", "3"},
                                                         {"--query", "127.0.0.1", "--watch", "--json"},
                                                         {"--query-file="},
                                                         {"--watch=1"}};
  // --watch's seconds: digits with one decimal point, 0.5 to 86400.
  for (const char* seconds : {"0.4", "86400.5", "abc", "", ".", "1e3", "0x1", "-1", "nan", "1.2.3"}) {
    const vqtest::ProgramRun run =
        RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.1", std::string("--watch=") + seconds});
    EXPECT_EQ(run.exitStatus, 2) << seconds;
    EXPECT_NE(run.errors.find("takes seconds from 0.5 to 86400"), std::string::npos) << run.errors;
  }
  for (const std::vector<std::string>& arguments : misuses) {
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, arguments);
    EXPECT_EQ(run.exitStatus, 2) << ::testing::PrintToString(arguments);
    EXPECT_TRUE(run.output.empty()) << run.output;
    EXPECT_NE(run.errors.find("--help"), std::string::npos) << run.errors;
  }
  const vqtest::ProgramRun help = RunProgram(QUILLMAR_EXE, {"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.output.find("--query <address>"), std::string::npos);
  EXPECT_NE(help.output.find("--json"), std::string::npos);
}

// A user who may not open ICMP sockets learns that, and how to allow it;
// the status exchange still runs.
TEST(QueryCommandTest, RefusedIcmpSocketsAreExplainedAndTheQueryGoesOn) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root to make a namespace and drop privileges";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();  // its ping_group_range admits nobody
    ns.EnterPermanently();
    ASSERT_TRUE(vqtest::BecomeNobody());  // no CAP_NET_RAW from here on
    // Started as the same user, so that the test can stop it.
    vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "127.0.0.1"});
    const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.1"});
    EXPECT_EQ(run.exitStatus, 0) << run.errors;
    const std::vector<std::string> messages = QueryMessages(run.errors);
    ASSERT_EQ(messages.size(), 1u) << run.errors;
    EXPECT_EQ(messages[0].find("Ping Timed Out"), std::string::npos);
    EXPECT_NE(messages[0].find("not permitted"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("net.ipv4.ping_group_range"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("cap_net_raw"), std::string::npos) << messages[0];
    EXPECT_NE(run.output.find("PING\t0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("HOST\tQuillmar Test Server\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("TIME_LEFT\t30 Mins\n"), std::string::npos) << run.output;
  });
}

}  // namespace
