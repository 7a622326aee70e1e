// The hold of play: pausing and resuming, the level's end with its time
// bonus, and the hold timer's tick, which ends a hold only when neither the
// pause nor the bonus keeps it.
#include "app/hold.h"

#include <gtest/gtest.h>

#include "platform/headless_platform.h"

namespace klv {
namespace {

class HoldTest : public ::testing::Test {
 protected:
  HeadlessPlatform platform_;
  Hold h_{platform_};

  // Paused, clock, hold, bonus.
  std::array<bool, 4> Now() const {
    return {h_.Paused(), h_.Clock().Enabled(), h_.HoldTimer().Enabled(), h_.Bonus().Enabled()};
  }
};

TEST_F(HoldTest, PauseResumeAndTheEndOfAHold) {
  using S = std::array<bool, 4>;
  EXPECT_EQ(Now(), (S{false, false, false, false})) << "play starts standing, unpaused";
  h_.ResumePlay();
  h_.PausePlay();
  EXPECT_EQ(Now(), (S{true, false, true, false}));
  EXPECT_TRUE(h_.Held());
  EXPECT_FALSE(h_.EndHold()) << "the pause keeps the hold";
  EXPECT_EQ(Now(), (S{true, false, true, false}));
  h_.ResumePlay();
  EXPECT_EQ(Now(), (S{false, true, false, false}));
  EXPECT_FALSE(h_.Held());

  // A completed level: the bonus keeps the hold until it stops.
  h_.HoldForBonus();
  EXPECT_EQ(Now(), (S{false, false, true, true}));
  EXPECT_TRUE(h_.BonusRunning());
  EXPECT_FALSE(h_.EndHold());
  h_.StopBonus();
  EXPECT_TRUE(h_.EndHold());
  EXPECT_EQ(Now(), (S{false, true, false, false}));

  // A new game's hold: its end starts the clock.
  h_.StopClock();
  h_.StartHold();
  EXPECT_EQ(Now(), (S{false, false, true, false}));
  EXPECT_TRUE(h_.EndHold());
  EXPECT_EQ(Now(), (S{false, true, false, false}));
}

// The hold timer starts its two seconds afresh when a hold begins, and keeps
// its phase when a running hold is asked for again.
TEST_F(HoldTest, AHoldRunsTwoSecondsFromItsStart) {
  platform_.SetNow(5'000'000);
  h_.PausePlay();
  EXPECT_EQ(h_.HoldTimer().DueUs(), 7'000'000u);
  platform_.SetNow(6'000'000);
  h_.PausePlay();
  EXPECT_EQ(h_.HoldTimer().DueUs(), 7'000'000u);
  h_.ResumePlay();
  h_.PausePlay();
  EXPECT_EQ(h_.HoldTimer().DueUs(), 8'000'000u);
  EXPECT_EQ(h_.Clock().Enabled(), false);
}

// Leaving play: Release ends the pause and the hold and leaves the clock; Stop
// stops the clock and the hold and leaves the pause; Reset stops everything.
TEST_F(HoldTest, LeavingPlay) {
  using S = std::array<bool, 4>;
  h_.PausePlay();
  h_.Release();
  EXPECT_EQ(Now(), (S{false, false, false, false}));
  h_.ResumePlay();
  h_.Release();
  EXPECT_EQ(Now(), (S{false, true, false, false})) << "the clock is not Release's";

  h_.PausePlay();
  h_.Stop();
  EXPECT_EQ(Now(), (S{true, false, false, false}));

  h_.ResumePlay();
  h_.HoldForBonus();
  h_.PausePlay();
  EXPECT_EQ(Now(), (S{true, false, true, true}));
  h_.Reset();
  EXPECT_EQ(Now(), (S{false, false, false, false}));
}

}  // namespace
}  // namespace klv
