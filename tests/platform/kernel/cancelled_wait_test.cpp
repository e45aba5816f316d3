// Blocking waits end as interrupted when the blocking hook cancels them or
// once a stop signal was caught; a second stop signal ends the process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/sliced_poll.h"
#include "platform/kernel/stop_signals.h"

namespace {

constexpr int kLongWaitMs = 60'000;

// A descriptor that never becomes readable while the pipe lives.
class QuietPipe {
 public:
  QuietPipe() { EXPECT_EQ(pipe(m_fds), 0); }
  ~QuietPipe() {
    close(m_fds[0]);
    close(m_fds[1]);
  }
  QuietPipe(const QuietPipe&) = delete;
  QuietPipe& operator=(const QuietPipe&) = delete;
  pollfd ForRead() const { return {m_fds[0], POLLIN, 0}; }

 private:
  int m_fds[2] = {-1, -1};
};

int g_hookCalls = 0;
BOOL CancelOnThirdCall() {
  if (++g_hookCalls == 3) kernel::CancelBlockingCall();
  return TRUE;
}

TEST(CancelledWait, TheHookCancelsTheWaitInProgressOnly) {
  QuietPipe quiet;
  pollfd item = quiet.ForRead();
  g_hookCalls = 0;
  const BLOCKINGHOOKPROC previous = kernel::SetBlockingHook(&CancelOnThirdCall);
  errno = 0;
  EXPECT_EQ(kernel::SlicedPoll(&item, 1, kLongWaitMs), -1);
  EXPECT_EQ(errno, EINTR);
  EXPECT_EQ(g_hookCalls, 3);
  kernel::SetBlockingHook(previous);
  // The cancel was taken: the next wait runs to its own end.
  EXPECT_EQ(kernel::SlicedPoll(&item, 1, 2 * kernel::kBlockingSliceMs), 0);
}

TEST(StopSignalsDeathTest, TheFirstEndsWaitsTheSecondEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        kernel::CatchStopSignals();
        raise(SIGINT);
        if (kernel::CaughtStopSignal() != SIGINT) std::_Exit(3);
        QuietPipe quiet;
        pollfd item = quiet.ForRead();
        if (kernel::SlicedPoll(&item, 1, kLongWaitMs) != -1 || errno != EINTR) std::_Exit(4);
        raise(SIGTERM);
        std::_Exit(5);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

// A program that changed the terminal's screen says how to put it back
// even when a second Ctrl-C ends it before it could.
TEST(StopSignalsDeathTest, TheSecondSaysTheLastWordsOnStandardOutput) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::dup2(STDERR_FILENO, STDOUT_FILENO);  // where the death test reads
        kernel::CatchStopSignals();
        kernel::SetWordsOnAbruptStop("screen back");
        raise(SIGINT);
        raise(SIGINT);
        std::_Exit(8);
      },
      ::testing::KilledBySignal(SIGINT), "screen back");
}

TEST(StopSignalsDeathTest, TheProgramEndsByTheSignalItCaught) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        kernel::CatchStopSignals();
        raise(SIGHUP);
        kernel::EndByCaughtSignal();
        std::_Exit(6);
      },
      ::testing::KilledBySignal(SIGHUP), "");
}

TEST(StopSignalsDeathTest, ASignalIgnoredAtTheStartStaysIgnored) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::signal(SIGINT, SIG_IGN);
        kernel::CatchStopSignals();
        raise(SIGINT);
        std::_Exit(kernel::CaughtStopSignal() == 0 ? 0 : 7);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
