// bench_soak: one process runs many queries, the dialog's own "Ping Server"
// path as `quillmar --query` runs it, against a stand-in status server
// already listening on the address given (bench/run starts one), and watches its open descriptors and
// resident memory. After the warm-up neither may grow: descriptors not at
// all, memory by no more than the tolerance (the highest sample after the
// warm-up against the sample at its end).
//
//   bench_soak [--queries N] [--every K] [--warmup W] [--rss-tolerance-kib T]
//              [--address 127.x.y.z]
//
// Run it in a folder with an "address.ini" (the dialog reads it each time;
// without it every query would show the missing-file message). Needs ICMP
// echo (root, or a ping group that includes the user). Exit
// status 0 when every query was answered and nothing grew.
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/dialog/quillmar_app.h"
#include "bench/monotonic_clock.h"
#include "bench/process_usage.h"
#include "ui/query_runner.h"

// The application object, as the program has it: its resources (dialog
// templates, texts) and its name for message-box captions.
CQuillmarApp theApp;

namespace {

// The defaults of the command line, each named by its member.
// NOLINTBEGIN(readability-magic-numbers)
struct Options {
  int queries = 10000;
  int every = 500;
  int warmup = 1000;
  long rssToleranceKiB = 1024;
  std::string address = "127.0.0.213";  // kept apart from the tests' addresses
};
// NOLINTEND(readability-magic-numbers)

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "usage: bench_soak [--queries N] [--every K] [--warmup W] [--rss-tolerance-kib T] "
               "[--address 127.x.y.z]\n");
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) Usage();
    const char* value = argv[++i];
    if (name == "--queries") {
      options.queries = std::atoi(value);
    } else if (name == "--every") {
      options.every = std::atoi(value);
    } else if (name == "--warmup") {
      options.warmup = std::atoi(value);
    } else if (name == "--rss-tolerance-kib") {
      options.rssToleranceKiB = std::atol(value);
    } else if (name == "--address") {
      options.address = value;
    } else {
      Usage();
    }
  }
  if (options.queries < 1 || options.every < 1 || options.warmup < 0 || options.warmup >= options.queries) Usage();
  return options;
}

struct Sample {
  int queries = 0;
  bench::ProcessUsage usage;
  double elapsedS = 0;
};

void PrintSample(const Sample& sample) {
  std::printf("%8d %6d %10ld %9.1f\n", sample.queries, sample.usage.openDescriptors, sample.usage.residentKiB,
              sample.elapsedS);
  std::fflush(stdout);
}

// A query counts as answered when it showed no message at all (the echo
// came back, the address book was read) and the status reply was decoded.
// The first failure says why.
bool QueryAnswered(const CString& address) {
  static bool s_bToldWhy = false;
  const QueryOutcome outcome = RunServerQuery(address);
  const bool answered = outcome.detected && outcome.messages.empty();
  if (!answered && !s_bToldWhy) {
    s_bToldWhy = true;
    std::fprintf(stderr, "bench_soak: a query was not answered (status reply %s)\n",
                 outcome.detected ? "decoded" : "missing");
    for (const CString& message : outcome.messages) {
      std::fprintf(stderr, "  message: %s\n", static_cast<LPCSTR>(message));
    }
  }
  return answered;
}

// Compares every sample after the warm-up with the one taken at its end:
// the highest count and size reached afterwards is the growth.
bool Judge(const Options& options, const std::vector<Sample>& samples, int unanswered) {
  const Sample* afterWarmup = nullptr;
  int peakDescriptors = 0;
  long peakResidentKiB = 0;
  for (const Sample& sample : samples) {
    if (sample.queries == options.warmup) afterWarmup = &sample;
    if (afterWarmup == nullptr) continue;
    peakDescriptors = std::max(peakDescriptors, sample.usage.openDescriptors);
    peakResidentKiB = std::max(peakResidentKiB, sample.usage.residentKiB);
  }
  const int descriptorGrowth = peakDescriptors - afterWarmup->usage.openDescriptors;
  const long memoryGrowthKiB = peakResidentKiB - afterWarmup->usage.residentKiB;
  std::printf(
      "from the warm-up's end (%d queries) to the end (%d), highest growth: descriptors %+d, resident "
      "memory %+ld KiB (tolerance %ld KiB); unanswered queries: %d\n",
      options.warmup, samples.back().queries, descriptorGrowth, memoryGrowthKiB, options.rssToleranceKiB, unanswered);
  const bool passed = descriptorGrowth <= 0 && memoryGrowthKiB <= options.rssToleranceKiB && unanswered == 0;
  std::printf("soak: %s\n", passed ? "PASS (flat)" : "FAIL");
  return passed;
}

bool IsSampleDue(const Options& options, int done) {
  return done % options.every == 0 || done == options.warmup || done == options.queries;
}

int RunSoak(const Options& options) {
  std::printf("status server on %s:6971; %d queries, a sample every %d\n", options.address.c_str(), options.queries,
              options.every);
  std::printf("%8s %6s %10s %9s\n", "queries", "fds", "rss_kib", "elapsed_s");
  const CString address(options.address.c_str());
  const std::int64_t start = bench::MonotonicNanoseconds();
  auto sampleNow = [start](int done) {
    const double elapsedS = bench::MillisecondsBetween(start, bench::MonotonicNanoseconds()) / 1000;
    return Sample{done, bench::CurrentProcessUsage(), elapsedS};
  };
  std::vector<Sample> samples{sampleNow(0)};
  PrintSample(samples.back());
  int unanswered = 0;
  for (int done = 1; done <= options.queries; ++done) {
    if (!QueryAnswered(address)) ++unanswered;
    if (!IsSampleDue(options, done)) continue;
    samples.push_back(sampleNow(done));
    PrintSample(samples.back());
  }
  const double seconds = samples.back().elapsedS;
  std::printf("summary soak rate: %.1f queries/s (%.3f ms per query)\n", options.queries / seconds,
              seconds * 1000 / options.queries);
  return Judge(options, samples, unanswered) ? 0 : 1;
}

// The offscreen platform's notes on what it cannot do would come once per
// query; the toolkit's errors still show.
void ToolkitErrorsOnly(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
  }
}

}  // namespace

int main(int argc, char** argv) {
  // No window is shown: the dialog is made on the offscreen platform, as
  // for `quillmar --query`.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(&ToolkitErrorsOnly);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Veloxa Quillmar"));
  const Options options = ParseOptions(argc, argv);
  try {
    return RunSoak(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_soak: %s\n", e.what());
    return 1;
  }
}
