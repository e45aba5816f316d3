// A query's messages as the console prints them: socket failures with the
// words for their number, and the address a message concerns.
#include "app/console_message.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleMessageTest, SocketFailuresGetTheWordsForTheirNumber) {
  EXPECT_EQ(ConsoleMessageLine("SendDatagram error #10051"), "SendDatagram error #10051: network is unreachable\n");
  EXPECT_EQ(ConsoleMessageLine("ReceiveDatagram error #10040"), "ReceiveDatagram error #10040: message too long\n");
  EXPECT_EQ(ConsoleMessageLine("Create error #10044"), "Create error #10044: socket type not supported\n");
  EXPECT_EQ(ConsoleMessageLine("Close error #10038"), "Close error #10038: socket operation on non-socket\n");
  EXPECT_EQ(ConsoleMessageLine("SendDatagram error #10065"), "SendDatagram error #10065: no route to host\n");
  EXPECT_EQ(ConsoleMessageLine("ReceiveDatagram error #10054"),
            "ReceiveDatagram error #10054: connection reset by peer\n");
  EXPECT_EQ(ConsoleMessageLine("SendDatagram error #11001"), "SendDatagram error #11001: host not found\n");
}

TEST(ConsoleMessageTest, OtherMessagesAndUnknownNumbersStayAsTheyAre) {
  for (const char* text :
       {"Veloxa server not detected", "Ping Timed Out", "Close error #-5", "Close error #10000",
        "Close error #99999999999999999999", "error #10051 was earlier", "Close error #", "Close error #10051x"}) {
    EXPECT_EQ(ConsoleMessageLine(text), std::string(text) + "\n");
  }
  EXPECT_EQ(SocketErrorWords(10060), "connection timed out");
  EXPECT_EQ(SocketErrorWords(0), "");
}

TEST(ConsoleMessageTest, TheAddressComesFirstAndAnEmptyOneIsQuoted) {
  EXPECT_EQ(ConsoleMessageLine("", "Invalid server address"), "'': Invalid server address\n");
  EXPECT_EQ(ConsoleMessageLine("nowhere.invalid", "Invalid server address"),
            "nowhere.invalid: Invalid server address\n");
  // Where the address could run into the message, its ends show.
  EXPECT_EQ(ConsoleMessageLine("host:6971", "Invalid server address"), "'host:6971': Invalid server address\n");
  EXPECT_EQ(ConsoleMessageLine("two words", "Invalid server address"), "'two words': Invalid server address\n");
  EXPECT_EQ(ConsoleMessageLine("127.0.0.9", "SendDatagram error #10051"),
            "127.0.0.9: SendDatagram error #10051: network is unreachable\n");
  // A server's name cannot turn the line around.
  // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
  EXPECT_EQ(ConsoleMessageLine("\xE2\x80\xAE"
                               "1.2",
                               "x\ny"),
            "\uFFFD1.2: x\uFFFDy\n");
}

}  // namespace
