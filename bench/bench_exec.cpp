// bench_exec: runs one or more programs round by round, each program once
// per round, in an order rotated every round, so that the programs being
// compared share the machine's conditions run by run. For each run it
// reports the wall time, the CPU time (user and system, of every process of
// the run) and the peak resident memory; with --first-paint, also the time
// from launch to the first painted window, which the program itself reports
// on standard output as "first-paint-ns <CLOCK_MONOTONIC nanoseconds>". A
// program may be several command lines run one after the other.
//
//   bench_exec [--runs N] [--warmup W] [--first-paint] [--expect-status S]
//              --label A -- PROGRAM ARGS... [::: PROGRAM ARGS...]...
//              [+++ --label B -- PROGRAM ARGS... [::: ...]...]...
//
// Besides each program's summaries it prints, for every program after the
// first, the median of the per-round ratios of the first program's figures
// to that program's ("ratio A/B wall"), which a noisy machine disturbs far
// less than a ratio of medians taken at different moments.
//
// Any command that fails (exits with another status than S, 0 by default)
// ends the measurement with exit status 1: a time of a failed run is not a
// figure.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/monotonic_clock.h"
#include "bench/stats.h"

namespace {

using Command = std::vector<std::string>;

struct Program {
  std::string label;
  std::vector<Command> commands;
};

struct Options {
  int runs = 10;
  int warmup = 1;
  bool firstPaint = false;
  int expectStatus = 0;
  std::vector<Program> programs;
};

struct ProcessResult {
  bool succeeded = false;
  double cpuMs = 0;
  std::optional<std::int64_t> firstPaintNs;
  std::int64_t launchNs = 0;
};

struct RunResult {
  double wallMs = 0;
  double cpuMs = 0;
  long peakRssKiB = 0;  // of the program's own image, from a run of its own
  std::optional<double> firstPaintMs;
};

[[noreturn]] void Usage(const char* why) {
  std::fprintf(stderr,
               "bench_exec: %s\nusage: bench_exec [--runs N] [--warmup W] [--first-paint] "
               "--label A -- PROGRAM ARGS... [::: PROGRAM ARGS...]... [+++ --label B -- ...]...\n",
               why);
  std::exit(2);
}

// One program from argv[i]: "--label TEXT -- COMMAND [::: COMMAND]...", up
// to "+++" or the end.
Program ParseProgram(int argc, char** argv, int& i) {
  Program program;
  if (i + 2 >= argc || std::strcmp(argv[i], "--label") != 0 || std::strcmp(argv[i + 2], "--") != 0) {
    Usage("each program starts with --label TEXT --");
  }
  program.label = argv[i + 1];
  program.commands.emplace_back();
  for (i += 3; i < argc && std::strcmp(argv[i], "+++") != 0; ++i) {
    if (std::strcmp(argv[i], ":::") == 0) {
      program.commands.emplace_back();
    } else {
      program.commands.back().emplace_back(argv[i]);
    }
  }
  const bool anyEmpty = std::any_of(program.commands.begin(), program.commands.end(),
                                    [](const Command& command) { return command.empty(); });
  if (anyEmpty) Usage("an empty command");
  return program;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--label") != 0; ++i) {
    const std::string name = argv[i];
    if (name == "--first-paint") {
      options.firstPaint = true;
      continue;
    }
    if (i + 1 >= argc) Usage("an option lacks its value");
    const char* value = argv[++i];
    if (name == "--runs") {
      options.runs = std::atoi(value);
    } else if (name == "--warmup") {
      options.warmup = std::atoi(value);
    } else if (name == "--expect-status") {
      options.expectStatus = std::atoi(value);
    } else {
      Usage("unknown option");
    }
  }
  while (i < argc) {
    options.programs.push_back(ParseProgram(argc, argv, i));
    if (i < argc) ++i;  // past "+++"
  }
  if (options.programs.empty() || options.runs < 1 || options.warmup < 0) Usage("no program, or a bad number of runs");
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

double Milliseconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
}

// The peak resident size of the program's own image: the kernel's
// ru_maxrss of a child also holds the peak of the memory it started from
// (this program's, shared until the exec), so it is read instead from the
// child's /proc status at its exit, where the child is held by ptrace. A
// run of its own, before the timed ones, so that the stops do not touch
// the times. 0 when it cannot be had.
long PeakRssOfImage(const Command& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return 0;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ::execvp(argv[0], argv.data());
    constexpr int kNotRun = 127;  // as a shell reports a command it could not run
    ::_exit(kNotRun);
  }
  long peakKiB = 0;
  int status = 0;
  while (::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
    const int event = status >> 16;
    int deliver = 0;
    if (WSTOPSIG(status) == SIGTRAP && event == 0) {
      ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACEEXIT));  // the exec's stop
    } else if (event == PTRACE_EVENT_EXIT) {
      std::ifstream statusFile("/proc/" + std::to_string(pid) + "/status");
      for (std::string line; std::getline(statusFile, line);) {
        constexpr std::string_view kPeakField = "VmHWM:";
        if (line.starts_with(kPeakField)) peakKiB = std::strtol(line.c_str() + kPeakField.size(), nullptr, 10);
      }
    } else {
      deliver = WSTOPSIG(status);  // the program's own signal
    }
    ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(deliver)));
  }
  return peakKiB;
}

// posix_spawn shares the parent's memory until the exec. The CPU time
// counts the child and every child it waited for.
ProcessResult RunOnce(const Command& command, int expectStatus) {
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
  result.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == expectStatus;
  if (!result.succeeded) std::fprintf(stderr, "bench_exec: %s failed (status %d)\n", argv[0], status);
  result.cpuMs = Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
  result.firstPaintNs = FirstPaintIn(output);
  return result;
}

std::optional<RunResult> RunProgram(const Program& program, bool firstPaint, int expectStatus) {
  RunResult run;
  const std::int64_t start = bench::MonotonicNanoseconds();
  for (const Command& command : program.commands) {
    const ProcessResult process = RunOnce(command, expectStatus);
    if (!process.succeeded) return std::nullopt;
    run.cpuMs += process.cpuMs;
    if (firstPaint) {
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

struct Series {
  std::vector<double> wall, cpu, rss, paint;
};

// Round r runs the programs starting with the (r mod n)-th.
std::optional<std::vector<RunResult>> RunRound(const Options& options, int round) {
  const std::size_t count = options.programs.size();
  std::vector<RunResult> results(count);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t program = (static_cast<std::size_t>(round) + k) % count;
    const std::optional<RunResult> run =
        RunProgram(options.programs[program], options.firstPaint, options.expectStatus);
    if (!run) return std::nullopt;
    results[program] = *run;
  }
  return results;
}

void PrintRun(const std::string& label, int round, const RunResult& run) {
  std::printf("round %d %s: wall %.3f ms, cpu %.3f ms, peak rss %ld KiB", round + 1, label.c_str(), run.wallMs,
              run.cpuMs, run.peakRssKiB);
  if (run.firstPaintMs) std::printf(", first paint %.3f ms", *run.firstPaintMs);
  std::printf("\n");
}

// The peak memory of each program's images alone: the largest of its commands'.
std::vector<long> ImagePeaksKiB(const Options& options) {
  std::vector<long> imagePeakKiB(options.programs.size());
  for (std::size_t p = 0; p < options.programs.size(); ++p) {
    for (const Command& command : options.programs[p].commands) {
      imagePeakKiB[p] = std::max(imagePeakKiB[p], PeakRssOfImage(command));
    }
  }
  return imagePeakKiB;
}

// Prints one round's results and adds them to each program's series, and to
// the ratios of the first program to each of the others.
void RecordRound(const Options& options, int round, const std::vector<RunResult>& results,
                 const std::vector<long>& imagePeakKiB, std::vector<Series>& series, std::vector<Series>& ratios) {
  const RunResult& first = results[0];
  for (std::size_t p = 0; p < results.size(); ++p) {
    RunResult run = results[p];
    run.peakRssKiB = imagePeakKiB[p];
    PrintRun(options.programs[p].label, round, run);
    series[p].wall.push_back(run.wallMs);
    series[p].cpu.push_back(run.cpuMs);
    series[p].rss.push_back(static_cast<double>(run.peakRssKiB) / 1024.0);
    if (run.firstPaintMs) series[p].paint.push_back(*run.firstPaintMs);
    if (p == 0) continue;
    ratios[p].wall.push_back(first.wallMs / run.wallMs);
    if (run.cpuMs > 0) ratios[p].cpu.push_back(first.cpuMs / run.cpuMs);
    if (first.firstPaintMs && run.firstPaintMs) ratios[p].paint.push_back(*first.firstPaintMs / *run.firstPaintMs);
  }
}

void PrintSummaries(const Options& options, const std::vector<Series>& series, const std::vector<Series>& ratios) {
  for (std::size_t p = 0; p < series.size(); ++p) {
    const std::string& label = options.programs[p].label;
    bench::PrintSummary(stdout, label + " wall", bench::Summarise(series[p].wall), "ms");
    bench::PrintSummary(stdout, label + " cpu", bench::Summarise(series[p].cpu), "ms");
    bench::PrintSummary(stdout, label + " peak-rss", bench::Summarise(series[p].rss), "MiB");
    if (options.firstPaint) {
      bench::PrintSummary(stdout, label + " first-paint", bench::Summarise(series[p].paint), "ms");
    }
    if (p == 0) continue;
    const std::string ratio = "ratio " + options.programs[0].label + "/" + label;
    bench::PrintSummary(stdout, ratio + " wall", bench::Summarise(ratios[p].wall), "x");
    bench::PrintSummary(stdout, ratio + " cpu", bench::Summarise(ratios[p].cpu), "x");
    if (options.firstPaint) bench::PrintSummary(stdout, ratio + " first-paint", bench::Summarise(ratios[p].paint), "x");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const std::vector<long> imagePeakKiB = ImagePeaksKiB(options);
  for (int i = 0; i < options.warmup; ++i) {
    if (!RunRound(options, i)) return 1;
  }
  std::vector<Series> series(options.programs.size());
  std::vector<Series> ratios(options.programs.size());  // of the first program to program p
  for (int round = 0; round < options.runs; ++round) {
    const std::optional<std::vector<RunResult>> results = RunRound(options, round);
    if (!results) return 1;
    RecordRound(options, round, *results, imagePeakKiB, series, ratios);
  }
  PrintSummaries(options, series, ratios);
  return 0;
}
