#include "app/query_command.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "app/address_book_listing.h"
#include "app/console_message.h"
#include "app/console_streams.h"
#include "app/query_output.h"
#include "platform/kernel/stop_signals.h"
#include "platform/winsock/scoped_startup.h"
#include "query/query_outcome.h"
#include "query/recorded_query.h"
#include "query/server_batch.h"

namespace {

// Keeps what the query reports and writes each message to standard error
// as it comes, as the dialog would show it.
class CConsoleSink : public CQueryRecorder {
 public:
  using CQueryRecorder::CQueryRecorder;
  void OnMessage(const CString& strText) override {
    CQueryRecorder::OnMessage(strText);
    console::WriteErr(ConsoleMessageLine(strText));
  }
};

constexpr char kSocketsFailed[] = "Windows sockets initialization failed.";

// False, said on standard error, when the sockets library did not start.
bool Started(const winsock::ScopedStartup& sockets) {
  if (!sockets.started()) console::WriteErr(std::string(kSocketsFailed) + "\n");
  return sockets.started();
}

// Keeps each server's outcome as it is done, and the notes said for the
// whole run. A stop signal (Ctrl-C) ends the run with what was gathered so
// far.
class CConsoleBatch : public CBatchSink {
 public:
  explicit CConsoleBatch(std::size_t count) : m_outcomes(count) {}
  void OnNote(const CString& strText) override { m_notes.push_back(strText); }
  void OnServerDone(std::size_t index, const QueryOutcome& outcome) override { m_outcomes[index] = outcome; }
  bool StopRequested() override { return kernel::CaughtStopSignal() != 0; }

  // The servers done, in the order given; the others are left out. Once,
  // when the run is over.
  std::vector<QueryOutcome> TakeDone() {
    std::vector<QueryOutcome> done;
    for (std::optional<QueryOutcome>& outcome : m_outcomes) {
      if (outcome) done.push_back(std::move(*outcome));
    }
    return done;
  }

  // The notes, then each server's messages that are not one of them, after
  // the address they concern.
  void PrintMessages(const std::vector<QueryOutcome>& outcomes) const {
    for (const CString& note : m_notes) console::WriteErr(ConsoleLine(note));
    for (const QueryOutcome& outcome : outcomes) {
      for (const CString& message : outcome.messages) {
        if (!IsNote(message)) console::WriteErr(ConsoleMessageLine(outcome.strAddress, message));
      }
    }
  }

 private:
  bool IsNote(const CString& message) const {
    return std::find(m_notes.begin(), m_notes.end(), message) != m_notes.end();
  }

  std::vector<std::optional<QueryOutcome>> m_outcomes;
  std::vector<CString> m_notes;
};

int PrintMany(const std::vector<QueryOutcome>& outcomes, bool json) {
  bool allDetected = true;
  for (const QueryOutcome& outcome : outcomes) allDetected = allDetected && outcome.detected;
  console::WriteOut(json ? QueryResultJsonArray(outcomes) : QueryResultTable(outcomes));
  return allDetected ? 0 : 1;
}

void SayLeftOut(std::size_t left, std::size_t all) {
  console::WriteErr(console::ProgramName() + ": interrupted: " + std::to_string(left) + " of " + std::to_string(all) +
                    " servers not done, left out\n");
}

}  // namespace

int RunQueryCommand(const std::string& address, bool json) {
  const winsock::ScopedStartup sockets;
  if (!Started(sockets)) return 1;
  CConsoleSink sink{CString(address.c_str())};
  const QueryOutcome& outcome = RunRecordedQuery(sink);
  console::WriteOut(json ? QueryResultJson(outcome) : QueryResultText(outcome));
  return outcome.detected ? 0 : 1;
}

int RunManyQueriesCommand(const std::vector<std::string>& addresses, bool json, std::size_t parallel) {
  const winsock::ScopedStartup sockets;
  if (!Started(sockets)) return 1;
  std::vector<CString> texts;
  texts.reserve(addresses.size());
  for (const std::string& address : addresses) texts.emplace_back(address.c_str());
  kernel::CatchStopSignals();
  CConsoleBatch batch(texts.size());
  RunServerBatch(texts, parallel, batch);
  const std::vector<QueryOutcome> outcomes = batch.TakeDone();
  batch.PrintMessages(outcomes);
  const int status = PrintMany(outcomes, json);
  if (kernel::CaughtStopSignal() == 0) return status;
  // A signal that came after the last server was done leaves nothing out.
  if (outcomes.size() < texts.size()) SayLeftOut(texts.size() - outcomes.size(), texts.size());
  console::FinalStatus(status);  // a failed write is still reported
  kernel::EndByCaughtSignal();
  return status;
}

int RunAddressListQueryCommand(bool json, std::size_t parallel) {
  std::vector<std::string> addresses;
  if (!ReadAddressListAddresses(addresses)) return 1;
  return RunManyQueriesCommand(addresses, json, parallel);
}
