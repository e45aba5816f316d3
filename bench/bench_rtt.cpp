// bench_rtt: pings one address with CPinger, as "Ping Server" does, a number
// of times, and prints for each echo the round-trip time that CPinger
// reports beside the wall time the call took.
//
//   bench_rtt [--count N] [--interval-ms I] [--label TEXT] [--expect-timeout] ADDRESS
//
// Every echo must be answered (exit status 1 otherwise); with
// --expect-timeout, every echo must time out instead (error 11010), and the
// wall times show how long the echo waited.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/monotonic_clock.h"
#include "bench/stats.h"
#include "probe/pinger.h"

namespace {

constexpr DWORD kTimedOut = 11010;

// The defaults of the command line, each named by its member.
// NOLINTBEGIN(readability-magic-numbers)
struct Options {
  int count = 20;
  int intervalMs = 100;
  std::string label = "echo";
  bool expectTimeout = false;
  std::string address;
};
// NOLINTEND(readability-magic-numbers)

[[noreturn]] void Usage() {
  std::fprintf(stderr, "usage: bench_rtt [--count N] [--interval-ms I] [--label TEXT] [--expect-timeout] ADDRESS\n");
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--expect-timeout") {
      options.expectTimeout = true;
    } else if (word == "--count" && i + 1 < argc) {
      options.count = std::atoi(argv[++i]);
    } else if (word == "--interval-ms" && i + 1 < argc) {
      options.intervalMs = std::atoi(argv[++i]);
    } else if (word == "--label" && i + 1 < argc) {
      options.label = argv[++i];
    } else if (!word.starts_with("--") && options.address.empty()) {
      options.address = word;
    } else {
      Usage();
    }
  }
  if (options.address.empty() || options.count < 1 || options.intervalMs < 0) Usage();
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  std::vector<double> reported;
  std::vector<double> elapsed;
  bool allAsExpected = true;
  for (int i = 0; i < options.count; ++i) {
    if (i > 0) ::usleep(static_cast<useconds_t>(options.intervalMs) * 1000);
    // A fresh probe each time, as each query makes its own.
    CPinger pinger;
    CPingResults results;
    const std::int64_t start = bench::MonotonicNanoseconds();
    const DWORD replies = pinger.Ping(CString(options.address.c_str()), &results, 255);
    const double wallMs = bench::MillisecondsBetween(start, bench::MonotonicNanoseconds());
    std::printf("echo %d: replies %lu, code %lu, reported %lu ms, wall %.3f ms\n", i + 1,
                static_cast<unsigned long>(replies), static_cast<unsigned long>(pinger.m_dwErrorCode),
                static_cast<unsigned long>(results.m_dwRoundTripTime), wallMs);
    std::fflush(stdout);
    const bool asExpected = options.expectTimeout ? replies == 0 && pinger.m_dwErrorCode == kTimedOut : replies == 1;
    allAsExpected = allAsExpected && asExpected;
    if (replies == 1) reported.push_back(static_cast<double>(results.m_dwRoundTripTime));
    elapsed.push_back(wallMs);
  }
  if (!options.expectTimeout) {
    bench::PrintSummary(stdout, options.label + " reported", bench::Summarise(reported), "ms");
  }
  bench::PrintSummary(stdout, options.label + " wall", bench::Summarise(elapsed), "ms");
  if (!allAsExpected) {
    std::fprintf(stderr, "bench_rtt: %s\n",
                 options.expectTimeout ? "an echo did not time out" : "an echo was not answered");
    return 1;
  }
  return 0;
}
