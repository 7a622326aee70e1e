// The angler's walking limits, the hook's steps, the winding-up rule and the
// one column the float, line and hook share.

#include <gtest/gtest.h>

#include "support/game_fixture.h"

namespace klv {
namespace {

using Angler = test::GameFixture;

TEST_F(Angler, WalksInSixPixelStepsUpToItsLimits) {
  StartPlaying();
  Press(vk::Left);
  Frames(60);
  // 262 - 36 * 6: the last step starts from 52, still above 50.
  EXPECT_EQ(P().X, 46);
  // At the limit a mouse step to the left stays pending.
  G().Mouse.MouseStepLeft = true;
  Frames(1);
  EXPECT_EQ(P().X, 46);
  EXPECT_TRUE(G().Mouse.MouseStepLeft);
  Release(vk::Left);
  G().Mouse.MouseStepLeft = false;

  Press(vk::Right);
  Frames(150);
  // The right limit is 770 - Width div 2 = 740; the last step starts at 736.
  EXPECT_EQ(P().X, 742);
  Release(vk::Right);

  // A mouse step is used up by the step it makes.
  G().Mouse.MouseStepLeft = true;
  Frames(1);
  EXPECT_EQ(P().X, 736);
  EXPECT_FALSE(G().Mouse.MouseStepLeft);
}

TEST_F(Angler, FloatLineAndHookHangOnTheAnglersColumn) {
  StartPlaying();
  Press(vk::Right);
  Press(vk::Control);
  Frames(7);
  Release(vk::Right);
  Frames(3);
  const Player& p = P();
  EXPECT_EQ(p.X, 262 + 7 * 6);
  EXPECT_EQ(p.Rod->X, p.X + 7);
  EXPECT_EQ(p.Rod->Y, 117);
  EXPECT_EQ(p.Bobber->X, p.X);
  EXPECT_EQ(p.Bobber->Y, 171);
  EXPECT_EQ(p.Line->X, p.X);
  EXPECT_EQ(p.Line->Y, 223);
  EXPECT_EQ(p.Hook->X, p.X);
  EXPECT_EQ(p.Line->BottomY, p.Hook->Y);
  EXPECT_EQ(p.Hook->Y, 225 + 10 * 6);
  // The tackle shows once the level has made the angler visible.
  EXPECT_TRUE(p.Rod->Visible && p.Bobber->Visible && p.Line->Visible && p.Hook->Visible);
}

TEST_F(Angler, HookGoesDownInStepsOfSixToNoDeeperThan525) {
  StartPlaying();
  Press(vk::Control);
  for (int i = 1; i <= 60; ++i) {
    Frames(1);
    ASSERT_EQ((Hook().Y - 225) % 6, 0) << "frame " << i;
    ASSERT_EQ(Hook().Y, std::min(225 + 6 * i, 525)) << "frame " << i;
    ASSERT_FALSE(Hook().Catching);
  }
  Release(vk::Control);
}

TEST_F(Angler, LettingGoWindsUpAndOnlyTheRisingHookCatches) {
  StartPlaying();
  G().Cfg->Sound = true;
  Press(vk::Control);
  Frames(10);  // down to 285
  Notes();
  Release(vk::Control);
  Frames(1);
  EXPECT_EQ(Hook().Y, 279);
  EXPECT_TRUE(Hook().Catching);
  EXPECT_TRUE(P().Reeling);
  EXPECT_EQ(P().Rod->FramePos, 1);
  EXPECT_EQ(Count(Notes(), "sound Up"), 1);
  Frames(1);
  EXPECT_EQ(Count(Notes(), "sound Up"), 0) << "Up starts once per rise";

  // Holding lower while rising freezes the hook and stops it catching.
  Press(vk::Control);
  Frames(5);
  EXPECT_EQ(Hook().Y, 273);
  EXPECT_FALSE(Hook().Catching);
  EXPECT_TRUE(P().Reeling);
  EXPECT_GE(Count(Notes(), "stop Up"), 1);

  // Letting go again resumes the rise and restarts "Up".
  Release(vk::Control);
  Frames(1);
  EXPECT_EQ(Hook().Y, 267);
  EXPECT_EQ(Count(Notes(), "sound Up"), 1);

  // Back at the top everything is at rest.
  Frames(7);
  EXPECT_EQ(Hook().Y, 225);
  EXPECT_FALSE(Hook().Catching);
  EXPECT_FALSE(P().Reeling);
  EXPECT_EQ(P().Rod->FramePos, 0);
  EXPECT_GE(Count(Notes(), "stop Up"), 1);
}

TEST_F(Angler, RodShowsTheCatchFrameForTheRestOfTheRise) {
  StartPlaying();
  Press(vk::Control);
  Frames(20);
  Release(vk::Control);
  Frames(1);
  P().HasCatch = true;
  Frames(1);
  EXPECT_EQ(P().Rod->FramePos, 2);
  // A pause in the rise keeps HasCatch, so the rod bends again on resuming.
  Press(vk::Control);
  Frames(2);
  Release(vk::Control);
  Frames(1);
  EXPECT_EQ(P().Rod->FramePos, 2);
  Frames(30);
  EXPECT_EQ(P().Rod->FramePos, 0);
  EXPECT_FALSE(P().HasCatch);
}

TEST_F(Angler, NothingMovesWhilePlayIsHeld) {
  G().StartGame();  // the first level opens with a hold
  ASSERT_TRUE(G().Held());
  Press(vk::Left);
  Press(vk::Control);
  Frames(20);
  EXPECT_EQ(P().X, 262);
  EXPECT_EQ(Hook().Y, 225);
  Release(vk::Left);
  Release(vk::Control);
}

TEST_F(Angler, LeavesWithItsTackleWhenTheMenuReturns) {
  StartPlaying();
  G().GameState = Screen::Menu;
  Frames(1);
  EXPECT_EQ(R().Players[0], nullptr);
  EXPECT_EQ(CountOf<Player>() + CountOf<Udochka>() + CountOf<Leska>() + CountOf<Kruk>(), 0);
}

}  // namespace
}  // namespace klv
