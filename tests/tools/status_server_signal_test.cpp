// The stand-in status server on POSIX systems: it ends cleanly on the stop
// signals, and its help asks it with the tools such a system has.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "tests/support/status_server_process.h"

namespace {

TEST(StatusServer, SigtermAndSigintEndItWithStatusZero) {
  const std::vector<std::string> isolated = {"--bind", vqtest::DistinctLoopbackAddress(), "--port", "0"};
  vqtest::StatusServerProcess terminated(VQ_STATUS_SERVER, isolated);
  EXPECT_EQ(terminated.Stop(), 0);

  vqtest::StatusServerProcess interrupted(VQ_STATUS_SERVER,
                                          {"--bind", vqtest::DistinctLoopbackAddress(), "--port", "0"});
  ASSERT_EQ(kill(interrupted.Pid(), SIGINT), 0);
  EXPECT_EQ(interrupted.WaitForExit(10000), 0);
}

TEST(StatusServer, HelpExampleAsksWithSocat) {
  const vqtest::ProgramRun run = vqtest::RunProgram(VQ_STATUS_SERVER, {"--help"});
  EXPECT_NE(run.output.find("| socat -t 1 - UDP4:127.0.0.1:6971"), std::string::npos) << run.output;
}

}  // namespace
