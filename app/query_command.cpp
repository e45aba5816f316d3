#include "app/query_command.h"

#include <algorithm>
#include <memory>
#include <string>

#include "app/address_book_listing.h"
#include "app/address_file.h"
#include "app/batch_printers.h"
#include "app/console_message.h"
#include "app/console_streams.h"
#include "app/console_terminal.h"
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

// Hands each server to the printer as it is done, with its messages that
// are not one of the notes said for the whole run, after the address they
// concern. A stop signal (Ctrl-C) ends the run with what was done so far.
class CConsoleBatch : public CBatchSink {
 public:
  explicit CConsoleBatch(CBatchPrinter& printer) : m_printer(printer) {}

  void OnNote(const CString& strText) override {
    m_notes.push_back(strText);
    m_printer.Note(ConsoleLine(strText));
  }

  void OnServerDone(std::size_t index, const QueryOutcome& outcome) override {
    ++m_done;
    m_allDetected = m_allDetected && outcome.detected;
    m_printer.Done(index, outcome, MessagesOf(outcome));
  }

  bool StopRequested() override { return kernel::CaughtStopSignal() != 0; }

  std::size_t Done() const { return m_done; }
  bool AllDetected() const { return m_allDetected; }

 private:
  std::string MessagesOf(const QueryOutcome& outcome) const {
    std::string lines;
    for (const CString& message : outcome.messages) {
      if (!IsNote(message)) lines += ConsoleMessageLine(outcome.strAddress, message);
    }
    return lines;
  }

  bool IsNote(const CString& message) const {
    return std::find(m_notes.begin(), m_notes.end(), message) != m_notes.end();
  }

  CBatchPrinter& m_printer;
  std::vector<CString> m_notes;
  std::size_t m_done = 0;
  bool m_allDetected = true;
};

std::unique_ptr<CBatchPrinter> PrinterFor(const std::vector<CString>& addresses, ResultForm form) {
  switch (form) {
    case ResultForm::Json: return InOrderJsonPrinter();
    case ResultForm::JsonLines: return JsonLinesPrinter();
    case ResultForm::Text: break;
  }
  if (console::OutputIsLiveTerminal()) return LiveTablePrinter(addresses, console::OutputTerminalSize());
  return InOrderTablePrinter(addresses);
}

void SayLeftOut(std::size_t left, std::size_t all) {
  console::WriteErr(console::ProgramName() + ": interrupted: " + std::to_string(left) + " of " + std::to_string(all) +
                    " servers not done, left out\n");
}

}  // namespace

bool SocketsStarted(const winsock::ScopedStartup& sockets) {
  if (!sockets.started()) console::WriteErr(std::string(kSocketsFailed) + "\n");
  return sockets.started();
}

ResultForm ResultFormOf(const CommandLine& line) {
  return line.jsonLines ? ResultForm::JsonLines : line.json ? ResultForm::Json : ResultForm::Text;
}

int RunQueryCommand(const std::string& address, ResultForm form) {
  const winsock::ScopedStartup sockets;
  if (!SocketsStarted(sockets)) return 1;
  CConsoleSink sink{CString(address.c_str())};
  const QueryOutcome& outcome = RunRecordedQuery(sink);
  switch (form) {
    case ResultForm::Text: console::WriteOut(QueryResultText(outcome)); break;
    case ResultForm::Json: console::WriteOut(QueryResultJson(outcome)); break;
    case ResultForm::JsonLines: console::WriteOut(QueryResultJsonLine(outcome, {{"position", "1"}})); break;
  }
  return outcome.detected ? 0 : 1;
}

int RunManyQueriesCommand(const std::vector<CString>& addresses, ResultForm form, std::size_t parallel) {
  const winsock::ScopedStartup sockets;
  if (!SocketsStarted(sockets)) return 1;
  kernel::CatchStopSignals();
  const std::unique_ptr<CBatchPrinter> printer = PrinterFor(addresses, form);
  CConsoleBatch batch(*printer);
  RunServerBatch(addresses, parallel, batch);
  printer->Finish();
  const int status = batch.AllDetected() ? 0 : 1;
  if (kernel::CaughtStopSignal() == 0) return status;
  // A signal that came after the last server was done leaves nothing out.
  if (batch.Done() < addresses.size()) SayLeftOut(addresses.size() - batch.Done(), addresses.size());
  console::FinalStatus(status);  // a failed write is still reported
  kernel::EndByCaughtSignal();
  return status;
}

int RunQuerySourcesCommand(const std::vector<AddressSource>& sources, ResultForm form, std::size_t parallel) {
  if (sources.size() == 1 && !sources.front().isFile) return RunQueryCommand(sources.front().text, form);
  std::vector<CString> addresses;
  if (!CollectAddresses(sources, addresses)) return 1;
  return RunManyQueriesCommand(addresses, form, parallel);
}

int RunAddressListQueryCommand(ResultForm form, std::size_t parallel) {
  std::vector<CString> addresses;
  if (!ReadAddressListAddresses(addresses)) return 1;
  return RunManyQueriesCommand(addresses, form, parallel);
}
