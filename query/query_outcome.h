#pragma once
#include <vector>

#include "platform/framework/cstring.h"
#include "query/query_sink.h"
#include "query/result_fields.h"

// What one query of one server showed: the fields as they ended, the texts
// of its messages in the order shown, whether a status reply was decoded,
// and the echo's round trip to the microsecond (-1 when no echo came back).
struct QueryOutcome : ResultStrings {
  CString strAddress;
  std::vector<CString> messages;
  bool detected = false;
  long long rttMicroseconds = -1;
};

// A sink that keeps what a query reports: the fields and messages in a
// QueryOutcome, and every progress position in order.
class CQueryRecorder : public CQuerySink {
 public:
  explicit CQueryRecorder(const CString& strAddress) { m_outcome.strAddress = strAddress; }

  void OnFieldsEmptied() override;
  void OnField(QueryField field, const CString& strText) override;
  void OnProgressRange(int nLower, int nUpper) override;
  void OnProgress(int nPos) override;
  void OnMessage(const CString& strText) override;
  void OnRoundTrip(long long nMicroseconds) override;

  QueryOutcome& outcome() { return m_outcome; }
  const std::vector<int>& positions() const { return m_positions; }

 private:
  QueryOutcome m_outcome;
  std::vector<int> m_positions;
};
