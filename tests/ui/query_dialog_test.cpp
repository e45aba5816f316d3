// "Ping Server" end to end: the real dialog, real ICMP, and the stand-in
// status server as a separate process on an address of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kernel/handle_table.h"
#include "tests/support/hex_text.h"
#include "tests/support/status_reply_text.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/dialog_query.h"
#include "tests/support/platform_seams/handle_count.h"

namespace {

using dialog_query::EchoMessagesFit;
using dialog_query::QueryDialog;

std::vector<std::string> Before(std::vector<std::string> messages, std::size_t count) {
  messages.resize(messages.size() >= count ? messages.size() - count : 0);
  return messages;
}

class QueryDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(query.ready()); }

  // Values a previous server left, so that a field the query does not set shows.
  void FillWithStaleValues() {
    CQuillmarDlg& dialog = query.dialog;
    dialog.m_strHost = dialog.m_strTrack = dialog.m_strPlayers = dialog.m_strType = dialog.m_strSession = "stale";
    dialog.m_strTimeLeft = "99 Mins";
    dialog.m_strPing = "77";
    dialog.UpdateData(FALSE);
  }

  void ExpectEmptyResults() {
    const CQuillmarDlg& dialog = query.dialog;
    for (const CString* field : {&dialog.m_strHost, &dialog.m_strTrack, &dialog.m_strPlayers, &dialog.m_strType,
                                 &dialog.m_strSession, &dialog.m_strTimeLeft}) {
      EXPECT_TRUE(field->IsEmpty()) << static_cast<LPCSTR>(*field);
    }
  }

  QueryDialog query;
};

TEST_F(QueryDialogTest, AnsweringServerFillsEveryFieldAndTheBarRunsThroughToZero) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER,
                                     {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Alpha Host", "--track",
                                      "Dune Ring", "--players", "5/12", "--level", "3", "--session", "Qualify",
                                      "--seconds-left", "5400", "--log-requests"});
  FillWithStaleValues();
  query.SetBar(60);
  query.SetAddress(server.AddressText());
  query.PressPingServer();

  EXPECT_TRUE(EchoMessagesFit(query.Messages())) << ::testing::PrintToString(query.Messages());
  const CQuillmarDlg& dialog = query.dialog;
  EXPECT_STREQ(dialog.m_strHost, "Alpha Host");
  EXPECT_STREQ(dialog.m_strTrack, "Dune Ring");
  EXPECT_STREQ(dialog.m_strPlayers, "5/12");
  EXPECT_STREQ(dialog.m_strType, "Grand Prix");
  EXPECT_STREQ(dialog.m_strSession, "Qualify");
  EXPECT_STREQ(dialog.m_strTimeLeft, "90 Mins");
  EXPECT_TRUE(dialog_query::IsDecimal(dialog.m_strPing)) << static_cast<LPCSTR>(dialog.m_strPing);
  EXPECT_TRUE(dialog.StatusReplyDecoded());
  EXPECT_EQ(query.positions, (std::vector<int>{0, 25, 50, 75, 100, 0}));
  // What the controls show, not only the strings.
  EXPECT_EQ(query.Edit(IDC_HOST)->text(), QStringLiteral("Alpha Host"));
  EXPECT_EQ(query.Edit(IDC_TIME_LEFT)->text(), QStringLiteral("90 Mins"));
  EXPECT_EQ(query.Edit(IDC_PING)->text(), QString::fromLatin1(static_cast<LPCSTR>(dialog.m_strPing)));

  // One datagram of the four request bytes.
  const std::optional<std::string> request = server.ReadLine();
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->substr(request->rfind(' ') + 1), "616E7974") << *request;  // "anyt"
  EXPECT_FALSE(server.ReadLine(200).has_value());
}

TEST_F(QueryDialogTest, ReplyWithoutAnEleventhFieldLeavesTimeLeftEmptyNotTheEarlierServers) {
  vqtest::StatusServerProcess first(VQ_STATUS_SERVER,
                                    {"--bind", vqtest::DistinctLoopbackAddress(), "--seconds-left", "600"});
  const std::string shortReply =
      vqtest::StatusReply({"a", "b", "Beta Host", "Oval", "x", "2", "y", "0", "z", "Practice"});
  vqtest::StatusServerProcess second(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--reply-hex",
                                                        vqtest::HexOf(shortReply)});
  query.SetAddress(first.AddressText());
  query.PressPingServer();
  ASSERT_STREQ(query.dialog.m_strTimeLeft, "10 Mins");

  query.SetAddress(second.AddressText());
  query.PressPingServer();
  EXPECT_STREQ(query.dialog.m_strHost, "Beta Host");
  EXPECT_STREQ(query.dialog.m_strType, "Novice");
  EXPECT_STREQ(query.dialog.m_strSession, "Practice");
  EXPECT_TRUE(query.dialog.m_strTimeLeft.IsEmpty()) << static_cast<LPCSTR>(query.dialog.m_strTimeLeft);
  EXPECT_TRUE(query.Edit(IDC_TIME_LEFT)->text().isEmpty());
  EXPECT_TRUE(query.dialog.StatusReplyDecoded());
}

// Text that gives no address sends nothing, not even an echo: the one
// message says so, the bar stays at 0 and every field stays emptied.
TEST_F(QueryDialogTest, TextWithoutAnAddressShowsInvalidServerAddressAndSendsNothing) {
  for (const char* address : {"", "nowhere.invalid", "255.255.255.255", "1.2.3.4.5"}) {
    SCOPED_TRACE(std::string("address \"") + address + "\"");
    FillWithStaleValues();
    query.SetBar(60);
    query.SetAddress(address);
    const int handlesBefore = vqtest::LiveHandleCount();
    query.PressPingServer();
    EXPECT_EQ(query.Messages(), std::vector<std::string>{"Invalid server address"});
    EXPECT_EQ(query.Bar()->value(), 0);
    EXPECT_EQ(query.positions, (std::vector<int>{0}));
    EXPECT_EQ(vqtest::LiveHandleCount(), handlesBefore);
    EXPECT_STREQ(query.dialog.m_strPing, "");
    ExpectEmptyResults();
    EXPECT_FALSE(query.dialog.StatusReplyDecoded());
  }
}

TEST_F(QueryDialogTest, OversizedReplyIsAReceiveErrorAndTheSocketIsClosed) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--oversize"});
  FillWithStaleValues();
  query.SetAddress(server.AddressText());
  const int handlesBefore = vqtest::LiveHandleCount();
  query.PressPingServer();
  const std::vector<std::string> messages = query.Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "ReceiveDatagram error #10040");
  EXPECT_TRUE(EchoMessagesFit(Before(messages, 1))) << ::testing::PrintToString(messages);
  EXPECT_EQ(query.Bar()->value(), 50);
  ExpectEmptyResults();
  EXPECT_TRUE(dialog_query::IsDecimal(query.dialog.m_strPing));
  EXPECT_EQ(vqtest::LiveHandleCount(), handlesBefore);
  EXPECT_FALSE(query.dialog.StatusReplyDecoded());

  // The dialog goes on: the next query is a new one.
  query.PressPingServer();
  EXPECT_EQ(query.Messages().back(), "ReceiveDatagram error #10040");
}

}  // namespace
