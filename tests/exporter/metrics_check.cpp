#include "tests/exporter/metrics_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/support/status_server_process.h"

namespace vqtest {

void ExpectValidMetrics(const std::string& body) {
  if (std::string(VQ_PROMTOOL).empty()) GTEST_SKIP() << "promtool is not installed (scripts/install-deps)";
  char path[] = "/tmp/vq-exporter-metrics-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  std::ofstream(path, std::ios::binary) << body;
  // promtool reads the text from standard input; the shell gives it the file.
  const ProgramRun run =
      RunProgram("/bin/sh", {"-c", std::string(VQ_PROMTOOL) + " check metrics < \"$1\"", "sh", path});
  std::remove(path);
  EXPECT_EQ(run.exitStatus, 0) << run.output << run.errors << "\n" << body;
}

}  // namespace vqtest
