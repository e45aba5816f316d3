#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/icmp/icmpapi.h"

// The echoes of many servers at once, each with the 5000 ms limit, over one
// ICMP socket (or the echo helper). One thread runs them.
struct EchoResult {
  bool replied = false;
  long long roundTripMicroseconds = -1;
  ULONG roundTripMs = 0;
};

struct EchoRoundReport {
  std::vector<EchoResult> results;  // one per destination, in order
  // When no echo could be sent at all: the message the dialog would show
  // for each server ("Ping not sent. " and why), said once for the run;
  // empty otherwise.
  CString strRefusal;
};

// A destination that is empty gets no echo.
EchoRoundReport RunEchoRound(const std::vector<std::optional<IPAddr>>& destinations, std::size_t nParallel);
