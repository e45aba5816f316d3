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
// and `nParallel` status exchanges are in flight at a time. An address
// given several times is asked once, and each copy gets that answer.
//
// Dotted quads are asked at once. Host names are looked up in the
// background, and a name's server joins the others once the name is
// resolved, so a slow name service holds back no other server; a name that
// gives an address already asked shares that server's answer. One thread
// runs the batch (the lookups aside), so its waits run the blocking hook and
// end early when it cancels them; a stop never waits for a lookup.

// Where a batch reports, on the thread that runs it.
class CBatchSink {
 public:
  virtual ~CBatchSink() = default;
  // A message that concerns the whole run rather than one server (ICMP
  // sockets refused): said once, before any server is done; the outcomes
  // carry it as well.
  virtual void OnNote(const CString& /*strText*/) {}
  // One server is done; `index` is its place in the addresses given. The
  // servers are done in no set order.
  virtual void OnServerDone(std::size_t index, const QueryOutcome& outcome) = 0;
  // Asked after every wait: true ends the batch at once, and the servers
  // not yet done are not reported; lookups still in progress finish on
  // their own threads, their answers dropped.
  virtual bool StopRequested() { return false; }
};

void RunServerBatch(const std::vector<CString>& addresses, std::size_t nParallel, CBatchSink& sink);
