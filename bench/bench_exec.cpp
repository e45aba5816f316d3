// bench_exec: runs a command line (or several, one after the other) a number
// of times and reports each run's wall time and the peak resident memory of
// its processes; with --first-paint, also the time from launch to the first
// painted window, which the program itself reports on standard output as
// "first-paint-ns <CLOCK_MONOTONIC nanoseconds>".
//
//   bench_exec [--runs N] [--warmup W] [--label TEXT] [--first-paint]
//              -- PROGRAM ARGS... [::: PROGRAM ARGS...]...
//
// Any command that fails ends the measurement with exit status 1: a time of
// a failed run is not a figure.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench/monotonic_clock.h"
#include "bench/stats.h"

extern char** environ;

namespace {

using Command = std::vector<std::string>;

struct Options {
  int runs = 10;
  int warmup = 1;
  std::string label = "command";
  bool firstPaint = false;
  std::vector<Command> commands;
};

struct ProcessResult {
  bool succeeded = false;
  long peakRssKiB = 0;
  std::optional<std::int64_t> firstPaintNs;
  std::int64_t launchNs = 0;
};

struct RunResult {
  double wallMs = 0;
  long peakRssKiB = 0;
  std::optional<double> firstPaintMs;
};

[[noreturn]] void Usage(const char* why) {
  std::fprintf(stderr,
               "bench_exec: %s\nusage: bench_exec [--runs N] [--warmup W] [--label TEXT] [--first-paint] "
               "-- PROGRAM ARGS... [::: PROGRAM ARGS...]...\n",
               why);
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    const std::string name = argv[i];
    if (name == "--first-paint") {
      options.firstPaint = true;
      continue;
    }
    if (i + 1 >= argc) Usage("an option lacks its value");
    const char* value = argv[++i];
    if (name == "--runs") options.runs = std::atoi(value);
    else if (name == "--warmup") options.warmup = std::atoi(value);
    else if (name == "--label") options.label = value;
    else Usage("unknown option");
  }
  options.commands.emplace_back();
  for (++i; i < argc; ++i) {
    if (std::strcmp(argv[i], ":::") == 0) options.commands.emplace_back();
    else options.commands.back().emplace_back(argv[i]);
  }
  const bool anyEmpty = std::any_of(options.commands.begin(), options.commands.end(),
                                    [](const Command& command) { return command.empty(); });
  if (anyEmpty || options.runs < 1 || options.warmup < 0) Usage("no command, or a bad number of runs");
  return options;
}

std::optional<std::int64_t> FirstPaintIn(const std::string& output) {
  const std::string key = "first-paint-ns ";
  const std::size_t at = output.find(key);
  if (at == std::string::npos) return std::nullopt;
  return std::strtoll(output.c_str() + at + key.size(), nullptr, 10);
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

// posix_spawn shares the parent's memory until the exec, so the child's peak
// resident size is its own, not a copy of this program's.
ProcessResult RunOnce(const Command& command) {
  int outputPipe[2];
  if (::pipe2(outputPipe, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outputPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  ProcessResult result;
  result.launchNs = bench::MonotonicNanoseconds();
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(outputPipe[1]);
  if (spawned != 0) {
    ::close(outputPipe[0]);
    std::fprintf(stderr, "bench_exec: cannot start %s: %s\n", argv[0], std::strerror(spawned));
    return result;
  }
  const std::string output = ReadAll(outputPipe[0]);
  ::close(outputPipe[0]);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!result.succeeded) std::fprintf(stderr, "bench_exec: %s failed (status %d)\n", argv[0], status);
  result.peakRssKiB = usage.ru_maxrss;
  result.firstPaintNs = FirstPaintIn(output);
  return result;
}

std::optional<RunResult> RunCommands(const Options& options) {
  RunResult run;
  const std::int64_t start = bench::MonotonicNanoseconds();
  for (const Command& command : options.commands) {
    const ProcessResult process = RunOnce(command);
    if (!process.succeeded) return std::nullopt;
    run.peakRssKiB = std::max(run.peakRssKiB, process.peakRssKiB);
    if (options.firstPaint) {
      if (!process.firstPaintNs) {
        std::fprintf(stderr, "bench_exec: %s reported no first paint\n", command[0].c_str());
        return std::nullopt;
      }
      run.firstPaintMs = bench::MillisecondsBetween(process.launchNs, *process.firstPaintNs);
    }
  }
  run.wallMs = bench::MillisecondsBetween(start, bench::MonotonicNanoseconds());
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  for (int i = 0; i < options.warmup; ++i) {
    if (!RunCommands(options)) return 1;
  }
  std::vector<double> wall, rss, paint;
  for (int i = 0; i < options.runs; ++i) {
    const std::optional<RunResult> run = RunCommands(options);
    if (!run) return 1;
    std::printf("run %d: wall %.3f ms, peak rss %ld KiB", i + 1, run->wallMs, run->peakRssKiB);
    if (run->firstPaintMs) std::printf(", first paint %.3f ms", *run->firstPaintMs);
    std::printf("\n");
    wall.push_back(run->wallMs);
    rss.push_back(static_cast<double>(run->peakRssKiB) / 1024.0);
    if (run->firstPaintMs) paint.push_back(*run->firstPaintMs);
  }
  bench::PrintSummary(stdout, options.label + " wall", bench::Summarise(wall), "ms");
  bench::PrintSummary(stdout, options.label + " peak-rss", bench::Summarise(rss), "MiB");
  if (options.firstPaint) bench::PrintSummary(stdout, options.label + " first-paint", bench::Summarise(paint), "ms");
  return 0;
}
