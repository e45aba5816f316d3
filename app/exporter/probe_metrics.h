#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "query/query_outcome.h"

namespace exporter {

// The players a server gives: "12", or "3/16" with the most it takes.
struct PlayerCount {
  long long players = 0;
  std::optional<long long> most;
};

// Nothing for text of another form (a server may write anything there).
std::optional<PlayerCount> ReadPlayerCount(std::string_view text);

// The TIME_LEFT field ("90 Mins") in seconds; the reply's own seconds are
// shown in whole minutes, so this is a multiple of 60.
std::optional<long long> ReadSecondsLeft(std::string_view text);

// The answer to one scrape of /probe: the outcome of the query when it
// ended in time (nothing when the scrape's deadline cut it short), and how
// long it took. Values a reply did not give are left out.
std::string ProbeExposition(const std::optional<QueryOutcome>& outcome, double durationSeconds);

}  // namespace exporter
