#pragma once
// Many servers asked at once, every outcome kept: the sink a test gives the
// batch when it looks at the whole run afterwards.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "query/server_batch.h"

namespace vqtest {

// Every server's outcome, in the order of the addresses, and the notes said
// for the whole run.
struct BatchReport {
  std::vector<QueryOutcome> outcomes;
  std::vector<CString> notes;

  bool IsNote(const CString& message) const { return std::find(notes.begin(), notes.end(), message) != notes.end(); }
};

class CBatchCollector : public CBatchSink {
 public:
  CBatchCollector(BatchReport& report, std::size_t count) : m_report(report) { m_report.outcomes.resize(count); }
  void OnNote(const CString& strText) override { m_report.notes.push_back(strText); }
  void OnServerDone(std::size_t index, const QueryOutcome& outcome) override { m_report.outcomes[index] = outcome; }

 private:
  BatchReport& m_report;
};

inline BatchReport CollectServerBatch(const std::vector<CString>& addresses, std::size_t parallel) {
  BatchReport report;
  CBatchCollector collector(report, addresses.size());
  RunServerBatch(addresses, parallel, collector);
  return report;
}

}  // namespace vqtest
