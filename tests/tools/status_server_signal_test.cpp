// The stand-in status server ends cleanly on the POSIX stop signals.
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

}  // namespace
