// The autopilot plays through the player's keys alone and wins levels: over
// seeds 1 to 10 at least eight games reach level 4.

#include "play/autopilot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "support/game_fixture.h"

namespace klv {
namespace {

class AutopilotTest : public test::GameFixture {
 protected:
  // Plays one game with the autopilot until it ends or reaches `goal`;
  // returns the level reached.
  int PlayGame(uint64_t seed, int goal, int* stung = nullptr) {
    Shutdown();
    Boot(seed);
    Autopilot pilot(*G().Play1, R(), G().GameState);
    G().StartGame();
    int stings = 0;
    for (int frame = 0; frame < 60 * 600; ++frame) {
      if (G().GameState != Screen::Game || R().LevelNo >= goal) break;
      const Autopilot::KeyChanges changes = pilot.NextKeyChanges();
      for (int k : changes.Release) Release(k);
      for (int k : changes.Press) Press(k);
      Frames(1);
      for (Fish* f : All<Fish>()) stings += f->Stung;
    }
    for (int k : pilot.HeldKeys()) Release(k);
    if (stung) *stung = stings;
    return R().LevelNo;
  }
};

TEST_F(AutopilotTest, ReachesLevelFourInMostGames) {
  int wins = 0;
  std::string levels;
  for (uint64_t seed = 1; seed <= 10; ++seed) {
    const int level = PlayGame(seed, 4);
    levels += std::to_string(level) + " ";
    wins += level >= 4;
  }
  EXPECT_GE(wins, 8) << "levels reached: " << levels;
}

TEST_F(AutopilotTest, OnlyHoldsPlayKeys) {
  G().StartGame();
  Autopilot pilot(*G().Play1, R(), G().GameState);
  for (int i = 0; i < 600; ++i) {
    for (int k : pilot.NextKeys())
      ASSERT_TRUE(k == vk::Left || k == vk::Right || k == vk::Control) << k;
    Frames(1);
  }
}

}  // namespace
}  // namespace klv
