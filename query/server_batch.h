#pragma once
#include <cstddef>
#include <vector>

#include "platform/framework/cstring.h"
#include "query/query_outcome.h"

// Many servers asked at once, as the command line does: each server gets
// the steps of "Ping Server" (its echo with the 5000 ms limit, its status
// request with the 2- and 5-second waits), but no server's waits delay
// another's, and a server's echo and its status request run side by side,
// so that a dead host costs 5 seconds, not 10. At most `nParallel` echoes
// and `nParallel` status exchanges are in flight at a time.
struct BatchReport {
  std::vector<QueryOutcome> outcomes;  // in the order of the addresses
  // Messages that concern the whole run rather than one server (ICMP
  // sockets refused): said once; the outcomes carry them as well.
  std::vector<CString> notes;

  bool IsNote(const CString& message) const;
};

BatchReport RunServerBatch(const std::vector<CString>& addresses, std::size_t nParallel);
