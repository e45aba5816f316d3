#include "query/server_batch.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <thread>

#include "query/name_lookups.h"
#include "protocol/status_reply.h"
#include "query/echo_round.h"
#include "query/query_messages.h"
#include "query/status_destination.h"
#include "query/status_round.h"

namespace {

// Where each server's request goes; empty for text that gives no IPv4
// address. Dotted quads are taken as they stand; the other texts are host
// names, looked up side by side.
std::vector<std::optional<sockaddr_in>> Destinations(const std::vector<CString>& addresses) {
  std::vector<std::optional<sockaddr_in>> destinations(addresses.size());
  std::vector<CString> names;
  std::vector<std::size_t> named;  // which address each name is
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    const CString text = TrimmedAddressText(addresses[i]);
    const u_long address = inet_addr(text);
    if (IsStatusDestination(address)) {
      destinations[i] = StatusDestinationOf(address);
    } else if (address == INADDR_NONE && !text.IsEmpty()) {
      names.push_back(text);
      named.push_back(i);
    }
  }
  const std::vector<std::optional<u_long>> found = LookUpNames(names);
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (found[k] && IsStatusDestination(*found[k])) destinations[named[k]] = StatusDestinationOf(*found[k]);
  }
  return destinations;
}

std::vector<std::optional<IPAddr>> EchoTargets(const std::vector<std::optional<sockaddr_in>>& destinations) {
  std::vector<std::optional<IPAddr>> targets(destinations.size());
  for (std::size_t i = 0; i < destinations.size(); ++i) {
    if (destinations[i]) targets[i] = static_cast<IPAddr>(destinations[i]->sin_addr.s_addr);
  }
  return targets;
}

void ShowEcho(const EchoResult& echo, const CString& strRefusal, QueryOutcome& outcome) {
  if (!echo.replied) outcome.messages.push_back(strRefusal.IsEmpty() ? CString(kPingTimedOutText) : strRefusal);
  outcome.strPing.Format("%d", echo.replied ? static_cast<int>(echo.roundTripMs) : 0);
  outcome.rttMicroseconds = echo.replied ? echo.roundTripMicroseconds : -1;
}

void ShowStatus(const StatusExchange& exchange, QueryOutcome& outcome) {
  if (!exchange.replied) {
    outcome.messages.push_back(exchange.strFailure);
    return;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(exchange.reply.data());
  for (const StatusFieldUpdate& update : DecodeStatusReply(data, exchange.reply.size())) {
    outcome.Field(FieldOf(update.field)) = CString(std::string_view(update.text));
  }
  outcome.detected = true;
}

}  // namespace

bool BatchReport::IsNote(const CString& message) const {
  return std::find(notes.begin(), notes.end(), message) != notes.end();
}

BatchReport RunServerBatch(const std::vector<CString>& addresses, std::size_t nParallel) {
  const std::vector<std::optional<sockaddr_in>> destinations = Destinations(addresses);
  EchoRoundReport echoes;
  std::thread echoThread([&] {
    try {
      echoes = RunEchoRound(EchoTargets(destinations), nParallel);
    } catch (const std::exception&) {  // out of memory: every echo counts as failed
    }
    echoes.results.resize(destinations.size());
  });
  const std::vector<StatusExchange> exchanges = CStatusRound(nParallel).Run(destinations);
  echoThread.join();

  BatchReport report;
  if (!echoes.strRefusal.IsEmpty()) report.notes.push_back(echoes.strRefusal);
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    QueryOutcome& outcome = report.outcomes.emplace_back();
    outcome.strAddress = addresses[i];
    if (!destinations[i]) {
      outcome.messages.emplace_back(kInvalidAddressText);
      continue;
    }
    ShowEcho(echoes.results[i], echoes.strRefusal, outcome);
    ShowStatus(exchanges[i], outcome);
  }
  return report;
}
