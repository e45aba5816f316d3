#include <gtest/gtest.h>

#include <cstdio>

#include "platform/kernel/abort.h"

namespace {

TEST(AfxAbortDeathTest, EndsTheProcessAtOnceWithoutAMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::fputs("buffered text", stderr);  // unbuffered: written before the end
        AfxAbort();
      },
      ::testing::ExitedWithCode(kernel::kAbortExitCode), "^buffered text$");
}

}  // namespace
