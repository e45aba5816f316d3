#include "bench/stats.h"

#include <algorithm>

namespace bench {

Summary Summarise(std::vector<double> values) {
  Summary summary;
  summary.runs = values.size();
  if (values.empty()) return summary;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  summary.median = values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
  summary.min = values.front();
  summary.max = values.back();
  return summary;
}

void PrintSummary(std::FILE* out, const std::string& label, const Summary& summary, const char* unit) {
  std::fprintf(out, "summary %s: median %.3f %s (min %.3f, max %.3f, %zu runs)\n", label.c_str(), summary.median, unit,
               summary.min, summary.max, summary.runs);
}

}  // namespace bench
