#pragma once
// The server query without a window, as the command line runs it (the test
// starts the sockets library), and its messages as texts.
#include <string>
#include <vector>

#include "query/query_outcome.h"
#include "query/recorded_query.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace windowless_query {

struct QueryRun {
  QueryOutcome outcome;
  std::vector<int> positions;
};

inline QueryRun RunQuery(const std::string& address) {
  CQueryRecorder recorder{CString(address.c_str())};
  RunRecordedQuery(recorder);
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

}  // namespace windowless_query
