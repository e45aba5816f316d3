#include "query/server_batch.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <thread>

#include "protocol/status_reply.h"
#include "query/echo_round.h"
#include "query/name_lookups.h"
#include "query/query_messages.h"
#include "query/send_pacer.h"
#include "query/status_destination.h"
#include "query/status_round.h"

namespace {

using Clock = std::chrono::steady_clock;

// Where each server's request goes; empty for text that gives no IPv4
// address. Dotted quads are taken as they stand; the other texts are host
// names, each looked up once, side by side.
std::vector<std::optional<sockaddr_in>> Destinations(const std::vector<CString>& addresses) {
  std::vector<std::optional<sockaddr_in>> destinations(addresses.size());
  std::vector<CString> names;
  std::map<CString, std::size_t> nameOf;
  std::vector<std::pair<std::size_t, std::size_t>> named;  // (address, name)
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    const CString text = TrimmedAddressText(addresses[i]);
    const u_long address = inet_addr(text);
    if (IsStatusDestination(address)) {
      destinations[i] = StatusDestinationOf(address);
    } else if (address == INADDR_NONE && !text.IsEmpty()) {
      const auto [entry, added] = nameOf.try_emplace(text, names.size());
      if (added) names.push_back(text);
      named.emplace_back(i, entry->second);
    }
  }
  const std::vector<std::optional<u_long>> found = LookUpNames(names);
  for (const auto& [index, name] : named) {
    if (found[name] && IsStatusDestination(*found[name])) destinations[index] = StatusDestinationOf(*found[name]);
  }
  return destinations;
}

// The servers to ask, each once, and which of them each address is.
struct DistinctServers {
  std::vector<sockaddr_in> destinations;
  std::vector<std::optional<std::size_t>> serverOf;   // per address; empty: not asked
  std::vector<std::vector<std::size_t>> addressesOf;  // per server
};

DistinctServers Distinct(const std::vector<std::optional<sockaddr_in>>& destinations) {
  DistinctServers servers;
  servers.serverOf.resize(destinations.size());
  std::map<u_long, std::size_t> seen;  // the port is always the same
  for (std::size_t i = 0; i < destinations.size(); ++i) {
    if (!destinations[i]) continue;
    const auto [entry, added] = seen.try_emplace(destinations[i]->sin_addr.s_addr, servers.destinations.size());
    if (added) {
      servers.destinations.push_back(*destinations[i]);
      servers.addressesOf.emplace_back();
    }
    servers.serverOf[i] = entry->second;
    servers.addressesOf[entry->second].push_back(i);
  }
  return servers;
}

std::vector<IPAddr> EchoTargets(const std::vector<sockaddr_in>& destinations) {
  std::vector<IPAddr> targets;
  targets.reserve(destinations.size());
  for (const sockaddr_in& destination : destinations) targets.push_back(destination.sin_addr.s_addr);
  return targets;
}

void ShowEcho(const ServerEcho& echo, const CString& strRefusal, QueryOutcome& outcome) {
  if (!echo.replied) outcome.messages.push_back(strRefusal.IsEmpty() ? CString(kPingTimedOutText) : strRefusal);
  outcome.m_strPing.Format("%d", echo.replied ? static_cast<int>(echo.roundTripMs) : 0);
  outcome.rttMicroseconds = echo.replied ? echo.roundTripMicroseconds : -1;
}

void ShowStatus(const StatusExchange& exchange, QueryOutcome& outcome) {
  if (!exchange.replied) {
    outcome.messages.push_back(exchange.strFailure);
    return;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(exchange.reply.data());
  for (const StatusFieldUpdate& update : DecodeStatusReply(data, exchange.reply.size())) {
    ResultText(outcome, FieldOf(update.field)) = CString(std::string_view(update.text));
  }
  outcome.detected = true;
}

// Each distinct server's echo and status exchange, side by side on this
// thread; a server is reported (for each address that names it) once both
// are over.
class BatchRun {
 public:
  BatchRun(const std::vector<CString>& addresses, std::size_t parallel, CBatchSink& sink)
      : m_addresses(addresses),
        m_servers(Distinct(Destinations(addresses))),
        m_sink(sink),
        m_echoes(m_servers.destinations.size()),
        m_statuses(m_servers.destinations.size()),
        m_parts(m_servers.destinations.size(), 0),
        m_echoRound(EchoTargets(m_servers.destinations), parallel,
                    [this](std::size_t server, const ServerEcho& echo) {
                      m_echoes[server] = echo;
                      PartDone(server);
                    }),
        m_statusRound(m_servers.destinations, parallel, [this](std::size_t server, StatusExchange&& exchange) {
          m_statuses[server] = std::move(exchange);
          PartDone(server);
        }) {}

  void Run() {
    ReportInvalid();
    m_echoRound.Open();
    if (!m_echoRound.Refusal().IsEmpty()) m_sink.OnNote(m_echoRound.Refusal());
    m_statusRound.Open();
    while (!m_echoRound.Done() || !m_statusRound.Done()) {
      SendDue(Clock::now());
      Wait(NextWake());
      if (m_sink.StopRequested()) return;
      m_statusRound.Expire(Clock::now());
    }
  }

 private:
  // Text that gives no address is done before anything is sent.
  void ReportInvalid() {
    for (std::size_t i = 0; i < m_addresses.size(); ++i) {
      if (m_servers.serverOf[i]) continue;
      QueryOutcome outcome;
      outcome.strAddress = m_addresses[i];
      outcome.messages.emplace_back(kInvalidAddressText);
      m_sink.OnServerDone(i, outcome);
    }
  }

  void PartDone(std::size_t server) {
    if (++m_parts[server] < 2) return;
    for (const std::size_t index : m_servers.addressesOf[server]) {
      QueryOutcome outcome;
      outcome.strAddress = m_addresses[index];
      ShowEcho(m_echoes[server], m_echoRound.Refusal(), outcome);
      ShowStatus(m_statuses[server], outcome);
      m_sink.OnServerDone(index, outcome);
    }
    m_statuses[server] = {};  // the reply's bytes are no longer needed
  }

  // A server's echo and its status request leave together, as the pacer allows.
  void SendDue(Clock::time_point now) {
    while (m_pacer.Due(now)) {
      const bool echo = m_echoRound.CanStart();
      const bool status = m_statusRound.CanSend(now);
      if (!echo && !status) return;
      if (echo) m_echoRound.StartNext();
      if (status) m_statusRound.SendNext(now);
      m_pacer.Sent(now);
    }
  }

  Clock::time_point NextWake() const {
    Clock::time_point send = Clock::time_point::max();
    if (m_echoRound.CanStart()) send = m_pacer.NextAt();
    const Clock::time_point statusAt = m_statusRound.NextSendAt();
    if (statusAt != Clock::time_point::max()) send = std::min(send, std::max(m_pacer.NextAt(), statusAt));
    return std::min(send, m_statusRound.NextDeadline());
  }

  // Until an echo or a reply arrives, or `until`.
  void Wait(Clock::time_point until) {
    std::vector<SOCKET> sockets = m_statusRound.WaitingSockets();
    icmpapi::EchoBatch* batch = m_echoRound.Batch();
    const bool echoesInFlight = batch != nullptr && batch->InFlight() > 0;
    if (!echoesInFlight && sockets.empty()) {
      if (until != Clock::time_point::max()) std::this_thread::sleep_until(until);
      return;
    }
    const int timeoutMs = MillisecondsUntil(until);
    if (echoesInFlight) {
      m_echoRound.Take(batch->WaitWithSockets(timeoutMs, sockets));
    } else {
      sockets = Readable(sockets, timeoutMs);
    }
    for (const SOCKET socket : sockets) m_pacer.RepliesWaiting(m_statusRound.Read(socket));
  }

  static int MillisecondsUntil(Clock::time_point until) {
    if (until == Clock::time_point::max()) return -1;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    constexpr long long kLongestPollMs = 60'000;  // a minute, then the loop looks again
    return static_cast<int>(std::clamp<long long>(ms, 0, kLongestPollMs));
  }

  // The sockets of the list that have something to read within the time.
  static std::vector<SOCKET> Readable(const std::vector<SOCKET>& sockets, int timeoutMs) {
    fd_set readable{};
    for (const SOCKET socket : sockets) FD_SET(socket, &readable);
    const timeval timeout{timeoutMs / 1000, static_cast<long>(timeoutMs % 1000) * 1000};
    std::vector<SOCKET> ready;
    if (select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &timeout) <= 0) return ready;
    for (const SOCKET socket : sockets) {
      if (FD_ISSET(socket, &readable)) ready.push_back(socket);
    }
    return ready;
  }

  const std::vector<CString>& m_addresses;
  DistinctServers m_servers;
  CBatchSink& m_sink;
  std::vector<ServerEcho> m_echoes;
  std::vector<StatusExchange> m_statuses;
  std::vector<int> m_parts;  // of each server's echo and status exchange, those over
  CEchoRound m_echoRound;
  CStatusRound m_statusRound;
  CSendPacer m_pacer;
};

}  // namespace

void RunServerBatch(const std::vector<CString>& addresses, std::size_t nParallel, CBatchSink& sink) {
  BatchRun(addresses, nParallel, sink).Run();
}
