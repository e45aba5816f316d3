// The pace of a many-server run, on a clock the test moves.
#include "query/send_pacer.h"

#include <gtest/gtest.h>

namespace {

using Clock = CSendPacer::Clock;

// Sends made at `now` until the pacer says none is due.
int SendsDueAt(CSendPacer& pacer, Clock::time_point now) {
  int sends = 0;
  for (; pacer.Due(now) && sends < 10'000; ++sends) pacer.Sent(now);
  return sends;
}

TEST(SendPacer, LateSendsCatchUpInAShortBurstOnly) {
  CSendPacer pacer;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(SendsDueAt(pacer, start), 1);  // the first goes at once, the next one spacing later
  EXPECT_EQ(SendsDueAt(pacer, start + pacer.spacing() * 10), 10);
  // After a long silence, a burst, not every send missed meanwhile.
  EXPECT_EQ(SendsDueAt(pacer, start + std::chrono::seconds(1)), static_cast<int>(CSendPacer::kLongestBurst) + 1);
}

TEST(SendPacer, RepliesPilingUpSlowDownAndReadsKeepingUpSpeedUp) {
  CSendPacer pacer;
  const CSendPacer::Spacing start = pacer.spacing();
  pacer.RepliesWaiting(200);
  EXPECT_EQ(pacer.spacing(), start * 2);
  for (int i = 0; i < 100; ++i) pacer.RepliesWaiting(200);
  EXPECT_EQ(pacer.spacing(), CSendPacer::kLongestSpacing);
  pacer.RepliesWaiting(20);  // neither many nor few: the pace holds
  EXPECT_EQ(pacer.spacing(), CSendPacer::kLongestSpacing);
  for (int i = 0; i < 1000; ++i) pacer.RepliesWaiting(1);
  EXPECT_EQ(pacer.spacing(), CSendPacer::kShortestSpacing);
}

}  // namespace
