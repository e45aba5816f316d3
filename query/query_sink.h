#pragma once
#include "platform/framework/cstring.h"
#include "query/result_fields.h"

// Where a query reports as it goes: the main dialog shows each report at
// once; the command line collects them. Reports come in the order the steps
// happen, on the thread that runs the query.
class CQuerySink {
 public:
  virtual ~CQuerySink() = default;

  // Every result field was emptied; shown as one update.
  virtual void OnFieldsEmptied() = 0;
  // One field was set; shown at once.
  virtual void OnField(QueryField field, const CString& strText) = 0;
  virtual void OnProgressRange(int nLower, int nUpper) = 0;
  virtual void OnProgress(int nPos) = 0;
  // A message for the user, as a message box would show it.
  virtual void OnMessage(const CString& strText) = 0;
  // The echo's round trip to the microsecond, from the kernel's receive
  // timestamp; reported before the PING field, only when an echo came back.
  virtual void OnRoundTrip(long long /*nMicroseconds*/) {}
  // True once whoever shows the query wants it to end (its window is
  // closing): the query then stops after the wait or step in progress,
  // without another report.
  virtual bool StopRequested() const { return false; }
};
