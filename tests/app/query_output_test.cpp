// The command line's result forms to the byte: scripts read them, so the
// JSON's members, their order and indentation, the text form's lines and
// the table's columns stay as they are.
#include "app/query_output.h"

#include "app/terminal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

QueryOutcome Answered() {
  QueryOutcome outcome;
  outcome.strAddress = "127.0.0.9";
  outcome.m_strPing = "12";
  outcome.m_strHost = "Host \"A\"";
  outcome.m_strTrack = "Ring";
  outcome.m_strPlayers = "3/8";
  outcome.m_strType = "Pro";
  outcome.m_strSession = "Race";
  outcome.m_strTimeLeft = "5 Mins";
  outcome.messages = {"Ping Timed Out", "Second"};
  outcome.detected = true;
  outcome.rttMicroseconds = 12'345;
  return outcome;
}

QueryOutcome Unanswered() {
  QueryOutcome outcome;
  outcome.strAddress = "a b";
  outcome.m_strPing = "0";
  return outcome;
}

TEST(QueryOutputTest, OneServerAsTextAndAsJson) {
  EXPECT_EQ(QueryResultText(Answered()),
            "ADDRESS\t127.0.0.9\nPING\t12\nHOST\tHost \"A\"\nTRACK\tRing\nPLAYERS\t3/8\nTYPE\tPro\nSESSION\tRace\n"
            "TIME_LEFT\t5 Mins\n");
  EXPECT_EQ(QueryResultJson(Answered()),
            "{\n"
            "    \"address\": \"127.0.0.9\",\n"
            "    \"detected\": true,\n"
            "    \"host\": \"Host \\\"A\\\"\",\n"
            "    \"messages\": [\n"
            "        \"Ping Timed Out\",\n"
            "        \"Second\"\n"
            "    ],\n"
            "    \"ping_ms\": 12,\n"
            "    \"players\": \"3/8\",\n"
            "    \"rtt_ms\": 12.345,\n"
            "    \"session\": \"Race\",\n"
            "    \"time_left\": \"5 Mins\",\n"
            "    \"track\": \"Ring\",\n"
            "    \"type\": \"Pro\"\n"
            "}\n");
}

TEST(QueryOutputTest, OneServerOnOneLineWithItsPlace) {
  EXPECT_EQ(QueryResultJsonLine(Answered(), {{"position", "3"}}),
            "{\"address\": \"127.0.0.9\", \"detected\": true, \"host\": \"Host \\\"A\\\"\", "
            "\"messages\": [\"Ping Timed Out\", \"Second\"], \"ping_ms\": 12, \"players\": \"3/8\", "
            "\"position\": 3, \"rtt_ms\": 12.345, \"session\": \"Race\", \"time_left\": \"5 Mins\", "
            "\"track\": \"Ring\", \"type\": \"Pro\"}\n");
}

// On a terminal the server texts' columns give way so that a row fits; the
// host keeps a readable start.
TEST(QueryOutputTest, TableFitsTheTerminalsWidth) {
  const CResultTable table({"127.0.0.9"}, 80);
  QueryOutcome outcome = Answered();
  outcome.m_strHost = "A Very Long Host Name Of The Server";
  EXPECT_LE(DisplayWidth(table.Header()), 80u);
  const std::string row = table.Row(outcome);
  EXPECT_LE(DisplayWidth(row), 80u);
  EXPECT_NE(row.find("A Very \u2026"), std::string::npos) << row;
  EXPECT_NE(row.find("Ring"), std::string::npos) << row;
}

TEST(QueryOutputTest, SeveralServersAsATableAndAsAJsonArray) {
  const std::vector<QueryOutcome> outcomes = {Answered(), Unanswered()};
  // The columns are fixed before any server answers: from the addresses,
  // and the widths of the fields.
  const CResultTable table({"127.0.0.9", "a b", "abc"});
  EXPECT_EQ(table.Header() + '\n' + table.Row(outcomes[0]) + '\n' + table.Row(outcomes[1]) + '\n' +
                table.PendingRow("abc"),
            "ADDRESS    PING  PLAYERS           TYPE          SESSION           TIME_LEFT  HOST"
            "                              TRACK\n"
            "127.0.0.9  12    3/8               Pro           Race              5 Mins     Host \"A\""
            "                          Ring\n"
            "'a b'      -     -                 -             -                 -          -"
            "                                 -\n"
            "abc        \u2026     \u2026                 \u2026             \u2026                 \u2026"
            "          \u2026                                 \u2026");
  CJsonArrayText array;
  std::string json = array.Next(outcomes[0]);
  json += array.Next(outcomes[1]);
  EXPECT_EQ(json + array.End(),
            "[\n"
            "    {\n"
            "        \"address\": \"127.0.0.9\",\n"
            "        \"detected\": true,\n"
            "        \"host\": \"Host \\\"A\\\"\",\n"
            "        \"messages\": [\n"
            "            \"Ping Timed Out\",\n"
            "            \"Second\"\n"
            "        ],\n"
            "        \"ping_ms\": 12,\n"
            "        \"players\": \"3/8\",\n"
            "        \"rtt_ms\": 12.345,\n"
            "        \"session\": \"Race\",\n"
            "        \"time_left\": \"5 Mins\",\n"
            "        \"track\": \"Ring\",\n"
            "        \"type\": \"Pro\"\n"
            "    },\n"
            "    {\n"
            "        \"address\": \"a b\",\n"
            "        \"detected\": false,\n"
            "        \"host\": \"\",\n"
            "        \"messages\": [],\n"
            "        \"ping_ms\": 0,\n"
            "        \"players\": \"\",\n"
            "        \"rtt_ms\": null,\n"
            "        \"session\": \"\",\n"
            "        \"time_left\": \"\",\n"
            "        \"track\": \"\",\n"
            "        \"type\": \"\"\n"
            "    }\n"
            "]\n");
  EXPECT_EQ(CJsonArrayText().End(), "[]\n");  // an interrupted run with nothing done
}

}  // namespace
