#include "app/query_command.h"

#include <optional>
#include <string>
#include <utility>

#include "app/address_book_listing.h"
#include "app/console_message.h"
#include "app/console_streams.h"
#include "app/query_output.h"
#include "platform/framework/cexception.h"
#include "platform/framework/message_box.h"
#include "platform/kernel/stop_signals.h"
#include "platform/winsock/scoped_startup.h"
#include "query/query_outcome.h"
#include "query/server_batch.h"
#include "query/server_query.h"

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

// Keeps each server's outcome as it is done. A stop signal (Ctrl-C) ends
// the run with what was gathered so far.
class CConsoleBatch : public CBatchSink {
 public:
  explicit CConsoleBatch(std::size_t count) : m_outcomes(count) {}
  void OnNote(const CString& strText) override { m_report.notes.push_back(strText); }
  void OnServerDone(std::size_t index, const QueryOutcome& outcome) override { m_outcomes[index] = outcome; }
  bool StopRequested() override { return kernel::CaughtStopSignal() != 0; }

  // The servers done, in the order given; the others are left out.
  BatchReport Finished() && {
    for (std::optional<QueryOutcome>& outcome : m_outcomes) {
      if (outcome) m_report.outcomes.push_back(std::move(*outcome));
    }
    return std::move(m_report);
  }

 private:
  std::vector<std::optional<QueryOutcome>> m_outcomes;
  BatchReport m_report;
};

void PrintMessages(const BatchReport& report) {
  for (const CString& note : report.notes) console::WriteErr(ConsoleLine(note));
  for (const QueryOutcome& outcome : report.outcomes) {
    for (const CString& message : outcome.messages) {
      if (!report.IsNote(message)) console::WriteErr(ConsoleMessageLine(outcome.strAddress, message));
    }
  }
}

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
  // Message boxes of the run (a socket failure's report) become messages of
  // the query, answered with OK at once.
  const framework::ScopedMessageBoxHandler messages([&sink](const framework::MessageBoxRequest& box) {
    sink.OnMessage(box.text);
    return IDOK;
  });
  CServerQuery query(sink);
  try {
    query.Run(sink.outcome().strAddress);
  } catch (CException* e) {  // what the dialog's window-procedure guard would show
    e->ReportError();
    e->Delete();
  }
  QueryOutcome& outcome = sink.outcome();
  outcome.detected = query.StatusReplyDecoded() != FALSE;
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
  const BatchReport report = std::move(batch).Finished();
  PrintMessages(report);
  const int status = PrintMany(report.outcomes, json);
  if (kernel::CaughtStopSignal() == 0) return status;
  SayLeftOut(texts.size() - report.outcomes.size(), texts.size());
  console::FinalStatus(status);  // a failed write is still reported
  kernel::EndByCaughtSignal();
  return status;
}

int RunAddressListQueryCommand(bool json, std::size_t parallel) {
  std::vector<std::string> addresses;
  if (!ReadAddressListAddresses(addresses)) return 1;
  return RunManyQueriesCommand(addresses, json, parallel);
}
