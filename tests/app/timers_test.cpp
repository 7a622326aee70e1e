#include <gtest/gtest.h>

#include "app/message_timer.h"
#include "engine/frame_timer.h"

namespace klv {
namespace {

// Runs a timer the way the game loop does: every tick that is due at `now`.
int RunTicks(MessageTimer& t, uint64_t now) {
  int ticks = 0;
  while (t.Enabled() && t.DueUs() <= now && ticks < 100000) {
    t.Ticked(now);
    ++ticks;
  }
  return ticks;
}

TEST(MessageTimer, CatchesUpMissedIntervalsSoTicksFollowRealTime) {
  MessageTimer clock(10);
  clock.SetEnabled(true, 0);
  // The loop woke late several times; the ticks still add up to real time.
  int total = 0;
  for (uint64_t now : {35000ull, 36000ull, 99000ull, 1000000ull}) total += RunTicks(clock, now);
  EXPECT_EQ(total, 100);  // 100 ticks of 10 ms in one second
}

TEST(MessageTimer, DropsAStallLongerThanASecond) {
  MessageTimer clock(10);
  clock.SetEnabled(true, 0);
  EXPECT_EQ(RunTicks(clock, 5000000), 1);  // 5 s asleep: one tick, not 500
  EXPECT_EQ(clock.DueUs(), 5000000u + 10000u);
}

TEST(MessageTimer, EnablingStartsTheIntervalAfresh) {
  MessageTimer hold(2000);
  hold.SetEnabled(true, 0);
  hold.SetEnabled(false, 1500000);
  hold.SetEnabled(true, 1900000);
  EXPECT_EQ(RunTicks(hold, 2100000), 0);  // not due at the old phase
  EXPECT_EQ(RunTicks(hold, 3900000), 1);
  // Enabling a running timer keeps its phase.
  hold.SetEnabled(true, 4000000);
  EXPECT_EQ(hold.DueUs(), 5900000u);
}

TEST(FrameTimer, TicksAfterTheIntervalWithLagAndNoBurst) {
  FrameTimer t;
  t.SetInterval(16);
  t.SetEnabled(true, 0);
  int lag = 0;
  EXPECT_FALSE(t.TakeTick(10000, &lag));  // 10 ms: too early
  EXPECT_TRUE(t.TakeTick(40000, &lag));   // 40 ms: one frame, lag 2
  EXPECT_EQ(lag, 2);
  EXPECT_FALSE(t.TakeTick(40000, &lag));   // no catch-up burst
  EXPECT_TRUE(t.TakeTick(5000000, &lag));  // after a stall: one frame
  EXPECT_FALSE(t.TakeTick(5000001, &lag));
}

TEST(FrameTimer, IntervalZeroTicksEveryCallAndInactiveStops) {
  FrameTimer t;
  t.SetInterval(0);
  t.SetEnabled(true, 1000);
  int lag = 0;
  EXPECT_TRUE(t.TakeTick(1000, &lag));
  EXPECT_EQ(lag, 1);
  EXPECT_TRUE(t.TakeTick(8000, &lag));
  EXPECT_EQ(lag, 7);
  t.SetActive(false, 9000);
  EXPECT_FALSE(t.TakeTick(20000, &lag));
  t.SetActive(true, 30000);
  EXPECT_TRUE(t.TakeTick(30000, &lag));
}

}  // namespace
}  // namespace klv
