// The stand-in status server, run as its own process and asked over real
// loopback sockets; its answers are read back with the program's decoder.
// The Windows suite builds this file too (tests/win32/tools).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "protocol/status_reply.h"
#include "protocol/status_request.h"
#include "tests/support/loopback_sources.h"
#include "tests/support/status_server_process.h"
#include "tests/support/udp_peer.h"

namespace {

using vqtest::StatusServerProcess;

constexpr int kReplyWaitMs = 5000;
// How long a server that should stay quiet is given to answer anyway.
constexpr int kQuietWaitMs = 300;

const std::string kRequest(kStatusRequestText.substr(0, kStatusRequestLength));

// Server arguments on a loopback address and ephemeral port of their own.
std::vector<std::string> Isolated(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"--bind", vqtest::DistinctLoopbackAddress(), "--port", "0"});
  return arguments;
}

std::vector<StatusFieldUpdate> Decode(const std::string& reply) {
  return DecodeStatusReply(reinterpret_cast<const unsigned char*>(reply.data()), reply.size());
}

std::string Ask(const StatusServerProcess& server, vqtest::UdpPeer& client) {
  client.SendTo(server.Address(), server.Port(), kRequest);
  const std::optional<std::string> reply = client.Receive(kReplyWaitMs);
  if (!reply) ADD_FAILURE() << "no reply from the server";
  return reply.value_or("");
}

}  // namespace

TEST(StatusServer, DefaultsDecodeIntoAllSixFields) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({}));
  vqtest::UdpPeer client;
  const std::vector<StatusFieldUpdate> expected = {
      {StatusField::Host, "Quillmar Test Server"},
      {StatusField::Track, "Harbour Loop"},
      {StatusField::Players, "3/8"},
      {StatusField::Type, "Intermediate"},
      {StatusField::Session, "Race"},
      {StatusField::TimeLeft, "30 Mins"},
  };
  EXPECT_EQ(Decode(Ask(server, client)), expected);
}

TEST(StatusServer, OptionsSetTheFieldsTheClientShows) {
  StatusServerProcess server(VQ_STATUS_SERVER,
                             Isolated({"--host", "Pit Lane", "--track", "Dune Ring", "--players", "12/16", "--level",
                                       "3", "--session", "Qualifying", "--seconds-left=5400"}));
  vqtest::UdpPeer client;
  const std::vector<StatusFieldUpdate> expected = {
      {StatusField::Host, "Pit Lane"},   {StatusField::Track, "Dune Ring"},    {StatusField::Players, "12/16"},
      {StatusField::Type, "Grand Prix"}, {StatusField::Session, "Qualifying"}, {StatusField::TimeLeft, "90 Mins"},
  };
  EXPECT_EQ(Decode(Ask(server, client)), expected);
}

TEST(StatusServer, TimeLeftKeepsEveryDigitOfTheSeconds) {
  // A leading digit of the seconds would be lost to the client's first-character replacement.
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({"--seconds-left", "7260"}));
  vqtest::UdpPeer client;
  const std::vector<StatusFieldUpdate> updates = Decode(Ask(server, client));
  ASSERT_FALSE(updates.empty());
  EXPECT_EQ(updates.back(), (StatusFieldUpdate{StatusField::TimeLeft, "121 Mins"}));
}

TEST(StatusServer, ListensOnTheStatusPortByDefault) {
  // Without distinct loopback addresses every such server would share 127.0.0.1:6971 with the other tests'.
  if (!vqtest::LoopbackSourcesAreKept()) GTEST_SKIP() << "this system's sockets bind no loopback address but 127.0.0.1";
  const std::string address = vqtest::DistinctLoopbackAddress();
  StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", address});
  EXPECT_EQ(server.AddressText(), address);
  EXPECT_EQ(server.Port(), kStatusPort);
  vqtest::UdpPeer client;
  EXPECT_FALSE(Decode(Ask(server, client)).empty());
}

TEST(StatusServer, EphemeralPortIsReportedAsTheRealPort) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({}));
  EXPECT_NE(server.Port(), 0);
}

TEST(StatusServer, ReplyHexSendsExactlyThoseBytes) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({"--reply-hex", "00FF01aB"}));
  vqtest::UdpPeer client;
  EXPECT_EQ(Ask(server, client), std::string("\x00\xFF\x01\xAB", 4));
}

TEST(StatusServer, AnswersEveryRequestToItsSender) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({}));
  vqtest::UdpPeer first;
  vqtest::UdpPeer second;
  const std::string firstReply = Ask(server, first);
  EXPECT_EQ(Ask(server, second), firstReply);
  EXPECT_EQ(Ask(server, first), firstReply);
  EXPECT_FALSE(first.Receive(0).has_value());
  EXPECT_FALSE(second.Receive(0).has_value());
}

TEST(StatusServer, SilentNeverAnswersButStillReceives) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({"--silent", "--log-requests"}));
  vqtest::UdpPeer client;
  client.SendTo(server.Address(), server.Port(), kRequest);
  // The log line shows the request arrived before we look for an answer.
  ASSERT_TRUE(server.ReadLine().has_value());
  EXPECT_FALSE(client.Receive(kQuietWaitMs).has_value());
}

TEST(StatusServer, OversizeAnswerIsLongerThanTheClientBufferAndStartsWithTheLayout) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({"--oversize"}));
  vqtest::UdpPeer client;
  const std::string reply = Ask(server, client);
  EXPECT_GT(reply.size(), kStatusReplyBufferSize);
  EXPECT_EQ(Decode(reply).size(), 6u);
}

TEST(StatusServer, IgnoresEmptyDatagrams) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({"--log-requests"}));
  vqtest::UdpPeer client;
  client.SendTo(server.Address(), server.Port(), "");
  client.SendTo(server.Address(), server.Port(), "q");
  ASSERT_TRUE(client.Receive(kReplyWaitMs).has_value());
  // The server handles datagrams in order, so an answer to the empty one
  // would have arrived before this one.
  EXPECT_FALSE(client.Receive(0).has_value());
  EXPECT_EQ(server.ReadLine(), "request 127.0.0.1:" + std::to_string(client.Port()) + " 71");
}

TEST(StatusServer, LogsTheRequestBytesAndSender) {
  StatusServerProcess server(VQ_STATUS_SERVER, Isolated({"--log-requests"}));
  vqtest::UdpPeer client;
  Ask(server, client);
  EXPECT_EQ(server.ReadLine(), "request 127.0.0.1:" + std::to_string(client.Port()) + " 616E7974");
}

class StatusServerBadOptions : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(StatusServerBadOptions, ExitWithStatusTwoAndSayWhy) {
  const vqtest::ProgramRun run = vqtest::RunProgram(VQ_STATUS_SERVER, GetParam());
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(run.output.empty()) << run.output;
  EXPECT_NE(run.errors.find("--help"), std::string::npos) << run.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Options, StatusServerBadOptions,
    testing::Values(std::vector<std::string>{"--no-such-option"}, std::vector<std::string>{"--port", "65536"},
                    std::vector<std::string>{"--port", "12x"}, std::vector<std::string>{"--port"},
                    std::vector<std::string>{"--bind", "localhost"}, std::vector<std::string>{"--level", "two"},
                    std::vector<std::string>{"--seconds-left", "-60"}, std::vector<std::string>{"--reply-hex", "ABC"},
                    std::vector<std::string>{"--reply-hex", "zz"},
                    std::vector<std::string>{"--host",
                                             "a\x01"
                                             "b"}));

TEST(StatusServer, HelpDescribesEveryOption) {
  const vqtest::ProgramRun run = vqtest::RunProgram(VQ_STATUS_SERVER, {"--help"});
  EXPECT_EQ(run.exitStatus, 0);
  for (const char* option : {"--bind", "--port", "--host", "--track", "--players", "--level", "--session",
                             "--seconds-left", "--reply-hex", "--oversize", "--silent", "--log-requests"}) {
    EXPECT_NE(run.output.find(option), std::string::npos) << option;
  }
}

TEST(StatusServer, BusyAddressFailsWithStatusOne) {
  StatusServerProcess first(VQ_STATUS_SERVER, Isolated({}));
  const vqtest::ProgramRun run =
      vqtest::RunProgram(VQ_STATUS_SERVER, {"--bind", first.AddressText(), "--port", std::to_string(first.Port())});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.errors.find("cannot bind"), std::string::npos) << run.errors;
}

namespace {

std::string AddressText(std::uint32_t address) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&address);
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
         std::to_string(bytes[3]);
}

std::uint32_t Loopback(unsigned b, unsigned c, unsigned d) {
  const unsigned char bytes[4] = {127, static_cast<unsigned char>(b), static_cast<unsigned char>(c),
                                  static_cast<unsigned char>(d)};
  std::uint32_t address = 0;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}

// Bound to every address, it answers each request from the address the
// request went to, as a server there would; it names that address when asked
// to, and stays quiet for the ranges it is told.
TEST(StatusServer, OnEveryAddressAnswersFromTheAddressAsked) {
  StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", "0.0.0.0", "--port", "0", "--host-is-address", "--silent-for",
                                                "127.0.1.0/24", "--silent-for", "127.3.3.3"});
  vqtest::UdpPeer client(vqtest::DistinctLoopbackAddress().c_str());
  for (const std::uint32_t asked : {Loopback(9, 8, 7), Loopback(0, 2, 1)}) {
    client.SendTo(Loopback(0, 1, 200), server.Port(), kRequest);  // quiet: in the range
    client.SendTo(Loopback(3, 3, 3), server.Port(), kRequest);    // quiet: the one address
    client.SendTo(asked, server.Port(), kRequest);
    const std::optional<std::string> reply = client.Receive(kReplyWaitMs);
    ASSERT_TRUE(reply.has_value());
    // Where the system sends from no address but 127.0.0.1 (Wine), the
    // host named and the quiet ranges still show the address asked.
    if (vqtest::LoopbackSourcesAreKept()) {
      EXPECT_EQ(client.LastSenderAddress(), asked);
    }
    const std::vector<StatusFieldUpdate> fields = Decode(*reply);
    ASSERT_FALSE(fields.empty());
    EXPECT_EQ(fields.front(), (StatusFieldUpdate{StatusField::Host, AddressText(asked)}));
    // The quiet requests went first: an answer to them would be here by now.
    EXPECT_FALSE(client.Receive(0).has_value());
  }
}

}  // namespace
