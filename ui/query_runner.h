#pragma once
#include <functional>
#include <vector>

#include "platform/framework/cstring.h"
#include "query/query_outcome.h"

class CQuillmarDlg;

struct ServerQueryHooks {
  // Called with each message-box text as the box would open; the box is
  // answered with OK at once.
  std::function<void(const CString&)> onMessage;
  // Called with the dialog once the query has ended, before it is destroyed.
  std::function<void(CQuillmarDlg&)> onFinished;
};

// Runs the query command of the main dialog for one address without a user:
// starts the sockets library, makes the dialog modeless, puts the address
// into its address field, presses "Ping Server" through the dialog's
// message map (so the framework's guard reports the socket errors, as in
// the program) and collects what the dialog shows. The messages collected
// are the query's; what the dialog says while it initialises goes to the
// message-box handler of the caller.
QueryOutcome RunServerQuery(const CString& strAddress, const ServerQueryHooks& hooks = {});
