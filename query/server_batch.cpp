#include "query/server_batch.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <thread>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/handle_wait.h"
#include "protocol/status_reply.h"
#include "query/batch_addresses.h"
#include "query/echo_round.h"
#include "query/name_lookups.h"
#include "query/query_messages.h"
#include "query/send_pacer.h"
#include "query/status_destination.h"
#include "query/status_round.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often pending lookups are looked at when no wake event could be had.
constexpr auto kLookupPoll = std::chrono::milliseconds(10);

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

// One distinct server: asked once, for every address that names it.
struct BatchServer {
  std::vector<std::size_t> addresses;  // the places in the list given that name it
  ServerEcho echo;
  StatusExchange status;
  int partsDone = 0;                   // of its echo and its status exchange
  std::optional<QueryOutcome> answer;  // once both are over
};

// Each distinct server's echo and status exchange, side by side on this
// thread, while the host names are looked up in the background; a name's
// server joins the rounds once the name is resolved. A server is reported
// (for each address that names it) once both are over.
class BatchRun {
 public:
  BatchRun(const std::vector<CString>& addresses, std::size_t parallel, CBatchSink& sink)
      : m_addresses(addresses),
        m_sorted(SortAddresses(addresses)),
        m_sink(sink),
        m_lookups(m_sorted.names),
        m_echoRound(parallel,
                    [this](std::size_t server, const ServerEcho& echo) {
                      m_servers[server].echo = echo;
                      PartDone(server);
                    }),
        m_statusRound(parallel, [this](std::size_t server, StatusExchange&& exchange) {
          m_servers[server].status = std::move(exchange);
          PartDone(server);
        }) {}

  void Run() {
    for (const std::size_t index : m_sorted.invalid) ReportInvalid(index);
    for (const auto& [index, address] : m_sorted.dotted) Join(index, address);
    while (m_lookups.Pending() || !m_echoRound.Done() || !m_statusRound.Done()) {
      SendDue(Clock::now());
      Wait(NextWake());
      if (m_sink.StopRequested()) return;  // the lookups left go on alone
      if (m_lookups.Pending()) TakeLookups();
      m_statusRound.Expire(Clock::now());
    }
  }

 private:
  void Report(std::size_t index, QueryOutcome outcome) {
    outcome.strAddress = m_addresses[index];
    m_sink.OnServerDone(index, outcome);
  }

  // Text that gives no address: done without anything sent.
  void ReportInvalid(std::size_t index) {
    QueryOutcome outcome;
    outcome.messages.emplace_back(kInvalidAddressText);
    Report(index, std::move(outcome));
  }

  // The address given at `index` is that of a server: a new one is asked,
  // one already asked answers for it as well, at once when it is done.
  void Join(std::size_t index, u_long address) {
    const auto [entry, added] = m_serverAt.try_emplace(address, m_servers.size());
    const std::size_t server = entry->second;
    if (added) m_servers.emplace_back();
    m_servers[server].addresses.push_back(index);
    if (m_servers[server].answer) Report(index, *m_servers[server].answer);
    if (added) Ask(server, address);
  }

  // The echo round and the status round number their servers as the batch.
  void Ask(std::size_t server, u_long address) {
    m_echoRound.Add(address);
    if (server == 0 && !m_echoRound.Refusal().IsEmpty()) m_sink.OnNote(m_echoRound.Refusal());
    m_statusRound.Add(StatusDestinationOf(address));
  }

  void TakeLookups() {
    for (const CNameLookups::Answer& answer : m_lookups.TakeAnswers()) {
      for (const std::size_t index : m_sorted.placesOfName[answer.name]) {
        if (answer.address && IsStatusDestination(*answer.address)) {
          Join(index, *answer.address);
        } else {
          ReportInvalid(index);
        }
      }
    }
  }

  void PartDone(std::size_t server) {
    BatchServer& done = m_servers[server];
    if (++done.partsDone < 2) return;
    QueryOutcome answer;
    ShowEcho(done.echo, m_echoRound.Refusal(), answer);
    ShowStatus(done.status, answer);
    done.status = {};  // the reply's bytes are no longer needed
    done.answer = std::move(answer);
    for (const std::size_t index : done.addresses) Report(index, *done.answer);
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
    Clock::time_point wake = std::min(send, m_statusRound.NextDeadline());
    if (m_lookups.Pending() && m_lookups.WakeHandle() == kernel::kNoHandle) {
      wake = std::min(wake, Clock::now() + kLookupPoll);
    }
    return wake;
  }

  // Until an echo, a reply or a name's address arrives, or `until`.
  void Wait(Clock::time_point until) {
    std::vector<SOCKET> handles = m_statusRound.WaitingSockets();
    const kernel::WaitHandle wake = m_lookups.Pending() ? m_lookups.WakeHandle() : kernel::kNoHandle;
    if (wake != kernel::kNoHandle) handles.push_back(wake);
    icmpapi::EchoBatch* batch = m_echoRound.Batch();
    const bool echoesInFlight = batch != nullptr && batch->InFlight() > 0;
    if (!echoesInFlight && handles.empty()) {
      if (until != Clock::time_point::max()) std::this_thread::sleep_until(until);
      return;
    }
    const int timeoutMs = MillisecondsUntil(until);
    if (echoesInFlight) {
      m_echoRound.Take(batch->WaitWithSockets(timeoutMs, handles));
    } else {
      kernel::WaitForReadable(handles, timeoutMs);
    }
    for (const SOCKET handle : handles) {
      if (handle != wake) m_pacer.RepliesWaiting(m_statusRound.Read(handle));
    }
  }

  static int MillisecondsUntil(Clock::time_point until) {
    if (until == Clock::time_point::max()) return -1;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    constexpr long long kLongestPollMs = 60'000;  // a minute, then the loop looks again
    return static_cast<int>(std::clamp<long long>(ms, 0, kLongestPollMs));
  }

  const std::vector<CString>& m_addresses;
  SortedAddresses m_sorted;
  CBatchSink& m_sink;
  CNameLookups m_lookups;  // first: the names are looked up while the rest starts
  std::vector<BatchServer> m_servers;
  std::map<u_long, std::size_t> m_serverAt;  // the port is always the same
  CEchoRound m_echoRound;
  CStatusRound m_statusRound;
  CSendPacer m_pacer;
};

}  // namespace

void RunServerBatch(const std::vector<CString>& addresses, std::size_t nParallel, CBatchSink& sink) {
  BatchRun(addresses, nParallel, sink).Run();
}
