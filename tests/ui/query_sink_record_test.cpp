// The dialog is one sink of the server query: what a recording sink keeps of
// a query is what the dialog shows of the same query, field by field,
// message by message, position by position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/query_outcome.h"
#include "query/recorded_query.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/dialog_query.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

struct Shown {
  std::vector<std::string> fields;  // every result field; PING as "decimal"
  std::vector<std::string> messages;
  std::vector<int> positions;
  bool detected = false;
};

std::string PingClass(const CString& ping) {
  return dialog_query::IsDecimal(ping) ? "decimal" : std::string(static_cast<LPCSTR>(ping));
}

// The dialog and a recorded outcome hold the same strings.
std::vector<std::string> Fields(const ResultStrings& strings) {
  std::vector<std::string> fields;
  for (const ResultField& row : kResultFields) {
    const CString& text = strings.*row.text;
    fields.push_back(row.field == QueryField::Ping ? PingClass(text) : std::string(static_cast<LPCSTR>(text)));
  }
  return fields;
}

Shown FromDialog(const std::string& address) {
  dialog_query::QueryDialog query;
  EXPECT_TRUE(query.ready());
  query.SetAddress(address);
  query.SetBar(60);  // so that the first position, 0, shows as a change
  query.PressPingServer();
  const CQuillmarDlg& dialog = query.dialog;
  return {Fields(dialog), query.Messages(), query.positions, dialog.StatusReplyDecoded() != FALSE};
}

Shown FromRecorder(const std::string& address) {
  WSADATA data{};
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
  CQueryRecorder recorder{CString(address.c_str())};
  const QueryOutcome& outcome = RunRecordedQuery(recorder);
  WSACleanup();
  Shown shown{Fields(outcome), {}, recorder.positions(), outcome.detected};
  for (const CString& message : outcome.messages) shown.messages.emplace_back(static_cast<LPCSTR>(message));
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
