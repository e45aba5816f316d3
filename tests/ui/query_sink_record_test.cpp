// The dialog is one sink of the server query: what a recording sink keeps of
// a query is what the dialog shows of the same query, field by field,
// message by message, position by position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/cexception.h"
#include "query/query_outcome.h"
#include "query/server_query.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/query_test_support.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

struct Shown {
  std::vector<std::string> fields;  // host, track, players, type, session, time left; PING as "decimal"
  std::vector<std::string> messages;
  std::vector<int> positions;
  bool detected = false;
};

std::string PingClass(const CString& ping) {
  return query_test::IsDecimal(ping) ? "decimal" : std::string(static_cast<LPCSTR>(ping));
}

Shown FromDialog(const std::string& address) {
  query_test::QueryDialog query;
  EXPECT_TRUE(query.ready());
  query.SetAddress(address);
  query.SetBar(60);  // so that the first position, 0, shows as a change
  query.PressPingServer();
  const CQuillmarDlg& d = query.dialog;
  return {{PingClass(d.m_strPing), static_cast<LPCSTR>(d.m_strHost), static_cast<LPCSTR>(d.m_strTrack),
           static_cast<LPCSTR>(d.m_strPlayers), static_cast<LPCSTR>(d.m_strType), static_cast<LPCSTR>(d.m_strSession),
           static_cast<LPCSTR>(d.m_strTimeLeft)},
          query.Messages(),
          query.positions,
          d.StatusReplyDecoded() != FALSE};
}

Shown FromRecorder(const std::string& address) {
  WSADATA data{};
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  CQueryRecorder recorder{CString(address.c_str())};
  vqtest::ScopedMessageBoxRecorder boxes;
  CServerQuery query(recorder);
  try {
    query.Run(CString(address.c_str()));
  } catch (CException* e) {  // as the window-procedure guard reports it
    e->ReportError();
    e->Delete();
  }
  WSACleanup();
  const QueryOutcome& o = recorder.outcome();
  Shown shown{{PingClass(o.strPing), static_cast<LPCSTR>(o.strHost), static_cast<LPCSTR>(o.strTrack),
               static_cast<LPCSTR>(o.strPlayers), static_cast<LPCSTR>(o.strType), static_cast<LPCSTR>(o.strSession),
               static_cast<LPCSTR>(o.strTimeLeft)},
              {},
              recorder.positions(),
              query.StatusReplyDecoded() != FALSE};
  for (const CString& message : o.messages) shown.messages.emplace_back(static_cast<LPCSTR>(message));
  for (const framework::MessageBoxRequest& box : boxes.boxes())
    shown.messages.emplace_back(static_cast<LPCSTR>(box.text));
  return shown;
}

void ExpectSame(const Shown& dialog, const Shown& recorded) {
  EXPECT_EQ(recorded.fields, dialog.fields);
  EXPECT_EQ(recorded.messages, dialog.messages);
  EXPECT_EQ(recorded.positions, dialog.positions);
  EXPECT_EQ(recorded.detected, dialog.detected);
}

TEST(QuerySinkRecordTest, AnsweringServer) {
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--host", "Record",
                                                        "--level", "0", "--seconds-left", "61"});
  const Shown dialog = FromDialog(server.AddressText());
  EXPECT_TRUE(dialog.detected);
  ExpectSame(dialog, FromRecorder(server.AddressText()));
}

TEST(QuerySinkRecordTest, SilentServerAndOversizedReply) {
  vqtest::StatusServerProcess silent(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--silent"});
  const Shown dialog = FromDialog(silent.AddressText());
  EXPECT_FALSE(dialog.detected);
  ExpectSame(dialog, FromRecorder(silent.AddressText()));

  vqtest::StatusServerProcess oversize(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--oversize"});
  ExpectSame(FromDialog(oversize.AddressText()), FromRecorder(oversize.AddressText()));
}

}  // namespace
