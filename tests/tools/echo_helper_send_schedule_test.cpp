// The echo helper's pace, on a clock the test moves: how many echoes go to
// one destination per second, that others go past a waiting one, and what
// becomes of a time-out while an echo waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "tools/echo_helper/send_schedule.h"

namespace {

namespace helper = icmpapi::helper;
using echo_helper::SendSchedule;
using Clock = SendSchedule::Clock;
using std::chrono::milliseconds;

constexpr std::uint32_t kFirst = 0x0100007F;  // 127.0.0.1 in network order
const Clock::time_point kStart = Clock::time_point(std::chrono::hours(1));

std::uint32_t Other(std::uint32_t n) { return kFirst + (n << 24); }  // 127.0.0.(1 + n)

helper::Request RequestTo(std::uint32_t destination, std::uint64_t tag, std::uint32_t timeoutMs = 5000) {
  helper::Request request;
  request.destination = destination;
  request.tag = tag;
  request.timeoutMs = timeoutMs;
  return request;
}

struct Ended {
  std::uint64_t tag = 0;
  Clock::time_point at;
  bool sent = false;
  std::uint32_t destination = 0;
  std::uint32_t timeoutMs = 0;  // what remained of it when sent
};

// Runs the schedule as the helper's loop does, jumping from wake to wake,
// until nothing waits.
std::vector<Ended> RunUntilEmpty(SendSchedule& schedule) {
  std::vector<Ended> ended;
  while (schedule.size() > 0) {
    const Clock::time_point now = schedule.NextWake();
    for (const std::uint64_t tag : schedule.TakeExpired(now)) ended.push_back(Ended{tag, now, false, 0, 0});
    while (const auto due = schedule.TakeDue(now)) {
      ended.push_back(Ended{due->tag, now, true, due->destination, due->timeoutMs});
    }
  }
  return ended;
}

std::vector<Ended> SentTo(const std::vector<Ended>& ended, std::uint32_t destination) {
  std::vector<Ended> sent;
  std::copy_if(ended.begin(), ended.end(), std::back_inserter(sent),
               [&](const Ended& e) { return e.sent && e.destination == destination; });
  return sent;
}

TEST(EchoHelperSendSchedule, OneDestinationGetsAnEchoEvery200MsAndEachTimeOutCountsFromTheRequest) {
  SendSchedule schedule;
  for (std::uint64_t tag = 0; tag < 20; ++tag) schedule.Add(RequestTo(kFirst, tag), kStart);
  const std::vector<Ended> ended = RunUntilEmpty(schedule);
  ASSERT_EQ(ended.size(), 20u);
  for (std::size_t i = 0; i < ended.size(); ++i) {
    EXPECT_TRUE(ended[i].sent) << i;
    EXPECT_EQ(ended[i].tag, i) << "in the order asked";
    EXPECT_EQ(ended[i].at, kStart + milliseconds(200) * i);
    EXPECT_EQ(ended[i].timeoutMs, 5000 - 200 * i) << "the wait comes out of the time-out";
  }
}

TEST(EchoHelperSendSchedule, OtherDestinationsGoPastEchoesWaitingForTheirTurn) {
  SendSchedule schedule;
  for (std::uint64_t tag = 0; tag < 5; ++tag) schedule.Add(RequestTo(kFirst, tag), kStart);
  for (std::uint32_t n = 1; n <= 20; ++n) schedule.Add(RequestTo(Other(n), 100 + n), kStart + milliseconds(3));
  const std::vector<Ended> ended = RunUntilEmpty(schedule);
  ASSERT_EQ(ended.size(), 25u);
  // The others go as they come, long before the second echo's turn to
  // 127.0.0.1: a burst at once, then one per spacing of the overall pace.
  const auto burst = static_cast<std::uint32_t>(icmpapi::helper::kSendBurst) + 1;
  for (std::uint32_t n = 1; n <= 20; ++n) {
    const std::vector<Ended> other = SentTo(ended, Other(n));
    ASSERT_EQ(other.size(), 1u) << n;
    EXPECT_EQ(other.front().at, kStart + milliseconds(3) + echo_helper::kMinSendSpacing * (n <= burst ? 0 : n - burst))
        << n;
    EXPECT_EQ(other.front().timeoutMs, 5000u) << "held back for less than a millisecond";
  }
  const std::vector<Ended> first = SentTo(ended, kFirst);
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[1].at, kStart + milliseconds(200));
}

TEST(EchoHelperSendSchedule, AnEchoWhoseTimeOutPassesWhileItWaitsEndsUnsent) {
  SendSchedule schedule;
  for (std::uint64_t tag = 0; tag < 10; ++tag) schedule.Add(RequestTo(kFirst, tag, 500), kStart);
  // A shorter time-out behind longer ones ends first, and the queue goes on.
  schedule.Add(RequestTo(Other(1), 50, 5000), kStart);
  schedule.Add(RequestTo(Other(1), 51, 5000), kStart);
  schedule.Add(RequestTo(Other(1), 52, 100), kStart);
  const std::vector<Ended> ended = RunUntilEmpty(schedule);
  ASSERT_EQ(ended.size(), 13u);
  const std::vector<Ended> sent = SentTo(ended, kFirst);
  ASSERT_EQ(sent.size(), 3u) << "at 0, 200 and 400 ms; the fourth turn comes after the time-out";
  for (const Ended& e : ended) {
    if (e.sent || e.tag >= 50) continue;
    EXPECT_GE(e.tag, 3u);
    EXPECT_EQ(e.at, kStart + milliseconds(500)) << "ends when its time-out passes, counted from the request";
  }
  const auto shortOne = std::find_if(ended.begin(), ended.end(), [](const Ended& e) { return e.tag == 52; });
  ASSERT_NE(shortOne, ended.end());
  EXPECT_FALSE(shortOne->sent);
  EXPECT_EQ(shortOne->at, kStart + milliseconds(100));
  const std::vector<Ended> others = SentTo(ended, Other(1));
  ASSERT_EQ(others.size(), 2u);
  EXPECT_EQ(others[1].tag, 51u);
  EXPECT_EQ(others[1].at, others[0].at + milliseconds(200));
}

TEST(EchoHelperSendSchedule, SpacingOutlastsTheQueueAndEndsAfter200Ms) {
  SendSchedule schedule;
  schedule.Add(RequestTo(kFirst, 1), kStart);
  ASSERT_TRUE(schedule.TakeDue(kStart));
  schedule.Add(RequestTo(kFirst, 2), kStart + milliseconds(50));
  EXPECT_FALSE(schedule.TakeDue(kStart + milliseconds(50)));
  EXPECT_EQ(schedule.NextWake(), kStart + milliseconds(200));
  const auto second = schedule.TakeDue(kStart + milliseconds(200));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->timeoutMs, 4850u);
  // Long after the last send the destination is free again at once.
  schedule.Add(RequestTo(kFirst, 3), kStart + milliseconds(1000));
  EXPECT_TRUE(schedule.TakeExpired(kStart + milliseconds(1000)).empty());
  const auto third = schedule.TakeDue(kStart + milliseconds(1000));
  ASSERT_TRUE(third);
  EXPECT_EQ(third->timeoutMs, 5000u);
}

TEST(EchoHelperSendSchedule, ATimeOutOfZeroIsSentWhenFreeAndEndsWhenItMustWait) {
  SendSchedule schedule;
  schedule.Add(RequestTo(kFirst, 1, 0), kStart);
  const auto free = schedule.TakeDue(kStart);
  ASSERT_TRUE(free);
  EXPECT_EQ(free->timeoutMs, 0u);
  schedule.Add(RequestTo(kFirst, 2, 0), kStart);
  EXPECT_FALSE(schedule.TakeDue(kStart));
  EXPECT_EQ(schedule.NextWake(), kStart + milliseconds(1));
  EXPECT_EQ(schedule.TakeExpired(kStart + milliseconds(1)), std::vector<std::uint64_t>{2});
  EXPECT_EQ(schedule.size(), 0u);
  EXPECT_EQ(schedule.NextWake(), Clock::time_point::max());
}

}  // namespace
