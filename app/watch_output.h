#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "app/watch_rounds.h"
#include "app/watch_table.h"
#include "platform/framework/cstring.h"

// Where --watch shows its rounds: a live table on a terminal, or a line
// per server and round (JSON or text) elsewhere. Each call that writes to
// standard output returns false once that failed.
class CWatchOutput {
 public:
  virtual ~CWatchOutput() = default;
  virtual bool Begin() { return true; }
  virtual bool RoundStarted(std::size_t /*round*/) { return true; }
  // An entry, after the server's statistics took it in.
  virtual bool Entry(const WatchEntry& entry, const WatchServer& server) = 0;
  // After the entries that came together: the moment to draw.
  virtual bool Flush() { return true; }
  // What concerns the whole run (ICMP sockets refused), for standard error.
  virtual void Note(const CString& text);
  // A message of one server's query ("Veloxa server not detected"), for
  // standard error after the address, as --query says it.
  virtual void Message(const CString& address, const CString& text);
  // The watch is over: the terminal as it was, and what stays on it.
  virtual void End() {}
};

struct WatchOutputOptions {
  double seconds = 0;
  std::optional<std::size_t> count;
  bool jsonLines = false;
};

// The live table on a terminal that moves its cursor, unless JSON lines
// are asked for; `servers` is read at each redraw.
std::unique_ptr<CWatchOutput> MakeWatchOutput(const WatchOutputOptions& options,
                                              const std::vector<WatchServer>& servers);
