// quillmar.exe run as a process against the Windows stand-in server on
// 127.0.0.1 (the one loopback address Wine answers from, see
// tests/support/loopback_sources.h), held to the Linux program's
// expectations (tests/app/query_command_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/hex_text.h"
#include "tests/support/status_server_process.h"
#include "tests/support/text_lines.h"

namespace {

using vqtest::Lines;
using vqtest::RunProgram;

// The value of a member of the program's JSON object (one member a line),
// as written: strings keep their quotes and escapes.
std::string Member(const std::string& json, const std::string& key) {
  const std::string start = "\n    \"" + key + "\": ";
  const std::size_t at = json.find(start);
  if (at == std::string::npos) return "<missing>";
  std::string value = json.substr(at + start.size(), json.find('\n', at + 1) - at - start.size());
  if (value.ends_with(',')) value.pop_back();
  return value;
}

vqtest::StatusServerProcess LoopbackServer(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"--bind", "127.0.0.1"});
  return vqtest::StatusServerProcess(VQ_STATUS_SERVER, arguments);
}

// The server's 8-bit text is Latin-1: UTF-8 in the output, with JSON
// escapes; the text form keeps each field on its line.
TEST(QueryProgram, JsonAndTextCarryEveryFieldAsOnLinux) {
  const std::string reply = std::string("a\x01") + "b\x01" + "Caf\xE9 \"T\"\x01" + "Line\nTwo\x01" + "x\x01" + "4\x01" +
                            "y\x01" + "0\x01" + "z\x01" + "S\x01" + "w\x01" + "x60";
  vqtest::StatusServerProcess server = LoopbackServer({"--reply-hex", vqtest::HexOf(reply)});
  const vqtest::ProgramRun json = RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.1", "--json"});
  EXPECT_EQ(json.exitStatus, 0) << json.errors;
  const std::vector<std::pair<std::string, std::string>> expected =
      {{"address", "\"127.0.0.1\""}, {"detected", "true"},        {"host", "\"Caf\xC3\xA9 \\\"T\\\"\""},
       {"track", "\"Line\\nTwo\""},  {"players", "\"4\""},        {"type", "\"Novice\""},
       {"session", "\"S\""},         {"time_left", "\"1 Mins\""}, {"messages", "[]"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(Member(json.output, key), value) << key;
  EXPECT_FALSE(Member(json.output, "ping_ms").empty());
  EXPECT_EQ(Member(json.output, "ping_ms").find_first_not_of("0123456789"), std::string::npos) << json.output;

  const vqtest::ProgramRun text = RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.1"});
  const std::vector<std::string> lines = Lines(text.output);
  ASSERT_EQ(lines.size(), 8u) << text.output;
  EXPECT_EQ(lines[0], "ADDRESS\t127.0.0.1");
  EXPECT_EQ(lines[2], "HOST\tCaf\xC3\xA9 \"T\"");
  EXPECT_EQ(lines[3], "TRACK\tLine\uFFFDTwo");
  EXPECT_EQ(lines[7], "TIME_LEFT\t1 Mins");
}

TEST(QueryProgram, SilentServerFailsTheExitStatus) {
  vqtest::StatusServerProcess server = LoopbackServer({"--silent"});
  const vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", "127.0.0.1", "--json"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(Member(run.output, "detected"), "false");
  EXPECT_EQ(Member(run.output, "host"), "\"\"");
  ASSERT_FALSE(Lines(run.errors).empty());
  EXPECT_EQ(Lines(run.errors).back(), "Veloxa server not detected");
}

TEST(QueryProgram, InvalidAddressExitsWithOneAndMisuseWithTwo) {
  vqtest::ProgramRun run = RunProgram(QUILLMAR_EXE, {"--query", ""});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(Lines(run.errors), std::vector<std::string>{"Invalid server address"});
  EXPECT_EQ(run.output, "ADDRESS\t''\nPING\t\nHOST\t\nTRACK\t\nPLAYERS\t\nTYPE\t\nSESSION\t\nTIME_LEFT\t\n");

  run = RunProgram(QUILLMAR_EXE, {"--query"});
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(run.output.empty()) << run.output;
  EXPECT_NE(run.errors.find("--help"), std::string::npos) << run.errors;
}

}  // namespace
