#pragma once
#include "query/query_outcome.h"

// Runs "Ping Server" for the recorder's address without a window, as the
// command line does (the sockets library started by the caller). What the
// dialog's window-procedure guard would show in a message box (a socket
// failure) reaches the recorder as the query's message, the box answered
// with OK at once; the outcome then says whether a status reply was decoded.
QueryOutcome& RunRecordedQuery(CQueryRecorder& recorder);
