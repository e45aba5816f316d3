#pragma once
// Summaries of repeated measurements: the median and the range, which say
// more about a handful of noisy runs than a mean would.
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Summary {
  std::size_t runs = 0;
  double median = 0;
  double min = 0;
  double max = 0;
};

Summary Summarise(std::vector<double> values);

// "label: median M unit (min A – max B, N runs)" on one line, the form that
// bench/run collects into the report.
void PrintSummary(std::FILE* out, const std::string& label, const Summary& summary, const char* unit);

}  // namespace bench
