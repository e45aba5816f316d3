#pragma once
// Runs the server query without a window (the test starts the sockets
// library): the message boxes of a socket failure turned into the query's
// messages, as the dialog's window-procedure guard would show them.
#include <string>
#include <vector>

#include "platform/framework/cexception.h"
#include "platform/framework/message_box.h"
#include "query/query_outcome.h"
#include "query/server_query.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace query_test {

struct QueryRun {
  QueryOutcome outcome;
  std::vector<int> positions;
};

inline QueryRun RunQuery(const std::string& address) {
  CQueryRecorder recorder{CString(address.c_str())};
  vqtest::ScopedMessageBoxRecorder boxes;
  CServerQuery query(recorder);
  try {
    query.Run(CString(address.c_str()));
  } catch (CException* e) {
    e->ReportError();
    e->Delete();
  }
  for (const framework::MessageBoxRequest& box : boxes.boxes()) recorder.OnMessage(box.text);
  recorder.outcome().detected = query.StatusReplyDecoded() != FALSE;
  return {recorder.outcome(), recorder.positions()};
}

inline std::vector<std::string> Texts(const std::vector<CString>& messages) {
  std::vector<std::string> texts;
  texts.reserve(messages.size());
  for (const CString& message : messages) texts.emplace_back(static_cast<LPCSTR>(message));
  return texts;
}

// The messages after the echo's: as root the echo is answered; otherwise it
// may say that ICMP sockets are not permitted.
inline std::vector<std::string> AfterEcho(const std::vector<CString>& messages) {
  std::vector<std::string> texts = Texts(messages);
  if (!texts.empty() && texts.front().rfind("Ping not sent.", 0) == 0) texts.erase(texts.begin());
  return texts;
}

}  // namespace query_test
