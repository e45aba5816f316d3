#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/console_terminal.h"
#include "app/query_output.h"
#include "platform/framework/cstring.h"
#include "query/query_outcome.h"

// How a many-server run prints its servers while they are done. Each server
// is kept only until it is printed, and then only as its printed text.
class CBatchPrinter {
 public:
  virtual ~CBatchPrinter() = default;
  // A message for the whole run (on standard error).
  virtual void Note(const std::string& line) = 0;
  // Server `index` of the addresses given is done; `messages` are its lines
  // for standard error.
  virtual void Done(std::size_t index, const QueryOutcome& outcome, std::string messages) = 0;
  // The run is over, or stopped: what is done and not yet printed is
  // printed, in order.
  virtual void Finish() = 0;
};

// The table or the JSON array on a pipe or a file: the servers in the order
// given, each as soon as it and those before it are done.
std::unique_ptr<CBatchPrinter> InOrderTablePrinter(const std::vector<CString>& addresses);
std::unique_ptr<CBatchPrinter> InOrderJsonPrinter();

// One JSON object per line as each server is done, with its place in the
// list given ("position", from 1).
std::unique_ptr<CBatchPrinter> JsonLinesPrinter();

// The table on a live terminal: drawn at once with every server pending,
// each row filled in place as its server is done. When there are more
// servers than the screen holds, the rows above the window drawn in place
// stay for good once they and those before them are done. Messages wait
// until the table is final.
std::unique_ptr<CBatchPrinter> LiveTablePrinter(const std::vector<CString>& addresses, console::TerminalSize size);
