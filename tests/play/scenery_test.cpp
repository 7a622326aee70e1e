// The underwater scenery: the scene and its seaweed, the sliding wave, the
// rising bubbles, and all of them standing still while play is held.

#include <gtest/gtest.h>

#include "play/fon.h"
#include "play/puzir.h"
#include "play/vodorosl.h"
#include "play/volna.h"
#include "support/game_fixture.h"

namespace klv {
namespace {

using Scenery = test::GameFixture;

TEST_F(Scenery, EachSceneHasItsWeeds) {
  struct Case {
    int scene;
    int x[3], y[3];
    const char* pictures[3];
  };
  const Case cases[] = {
      {1, {78, 590, -200}, {305, 312, 0}, {"Vodorosl1", "Vodorosl1", "Vodorosl2"}},
      {2, {622, 376, -200}, {313, 417, 0}, {"Vodorosl1", "Vodorosl2", "Vodorosl2"}},
      {3, {179, 600, 321}, {311, 314, 420}, {"Vodorosl1", "Vodorosl1", "Vodorosl2"}},
  };
  for (const Case& c : cases) {
    Fon* fon = R().CreateBackdrop(c.scene);
    EXPECT_EQ(R().SceneNo, c.scene);
    EXPECT_EQ(fon->Depth(), -10);
    for (int i = 0; i < 3; ++i) {
      const Vodorosl* w = fon->Weeds[i];
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(w->X, c.x[i]);
      EXPECT_EQ(w->Y, c.y[i]);
      EXPECT_EQ(w->Image->Name, c.pictures[i]);
      EXPECT_TRUE(w->LoopFrames);
      EXPECT_GE(w->AnimDelay, 10);
      EXPECT_LE(w->AnimDelay, 14);
    }
    const int weedsBefore = CountOf<Vodorosl>();
    fon->DeadAll();
    EXPECT_EQ(R().Backdrop, nullptr) << "the round forgets a backdrop marked dead";
    Engine().FlushDead();
    EXPECT_EQ(CountOf<Vodorosl>(), weedsBefore - 3);
  }
  // The menu backdrop has no weeds.
  Fon* menu = R().CreateBackdrop(0);
  for (const Vodorosl* w : menu->Weeds) EXPECT_EQ(w, nullptr);
}

TEST_F(Scenery, StartingAGameReplacesTheMenuBackdrop) {
  Fon* menu = R().Backdrop;
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->Scene(), 0);
  G().StartGame();
  ASSERT_NE(R().Backdrop, nullptr);
  EXPECT_GE(R().Backdrop->Scene(), 1);
  EXPECT_LE(R().Backdrop->Scene(), 3);
  EXPECT_EQ(CountOf<Fon>(), 1) << "the menu backdrop was marked dead";
  EXPECT_NE(R().Wave, nullptr);
  EXPECT_NE(R().TimeBar, nullptr);
  EXPECT_NE(R().Players[0], nullptr);

  R().RemoveScene();
  EXPECT_EQ(CountOf<Fon>() + CountOf<Volna>() + CountOf<Vodorosl>() + CountOf<Player>(), 0);
  EXPECT_EQ(R().Backdrop, nullptr);
  EXPECT_EQ(R().Players[0], nullptr);
}

TEST_F(Scenery, TheWaveSlidesBetweenMinusOneAndMinusHundred) {
  StartPlaying();
  G().Hold1.StopClock();
  Volna& wave = *R().Wave;
  const int start = wave.X;
  // Wherever it is now, it runs the same track.
  int minX = start, maxX = start;
  for (int i = 0; i < 400; ++i) {
    Frames(1);
    minX = std::min(minX, wave.X);
    maxX = std::max(maxX, wave.X);
  }
  EXPECT_EQ(minX, -100);
  EXPECT_EQ(maxX, -1);

  // From -1 it takes 99 steps to -100 and 99 back.
  wave.X = -1;
  for (int i = 0; i < 99; ++i) wave.Step(0);
  EXPECT_EQ(wave.X, -100);
  for (int i = 0; i < 99; ++i) wave.Step(0);
  EXPECT_EQ(wave.X, -1);
}

TEST_F(Scenery, BubblesSwayAndRiseToTheSurface) {
  StartPlaying();
  struct Case {
    int rise;
    int steps;  // to reach y 225
  };
  for (const Case& c : {Case{1, 275}, Case{2, 138}, Case{3, 92}}) {
    Puzir* b = Engine().Create<Puzir>(*G().Play1, R());
    EXPECT_EQ(b->Y, 500);
    EXPECT_EQ(b->Depth(), -6);
    EXPECT_GE(b->X, 20);
    EXPECT_LT(b->X, 780);
    b->Rise = uint8_t(c.rise);
    b->Sway = 3;
    const int origin = b->Origin;
    std::vector<int> xs;
    int steps = 0;
    while (!b->Dying() && steps < 400) {
      b->Step(0);
      xs.push_back(b->X - origin);
      ++steps;
    }
    EXPECT_EQ(steps, c.steps) << "rise " << c.rise;
    EXPECT_EQ(std::vector<int>(xs.begin(), xs.begin() + 8),
              (std::vector<int>{1, 2, 3, 2, 1, 0, -1, -2}));
    for (int x : xs) EXPECT_TRUE(x >= -3 && x <= 3);
  }
}

TEST_F(Scenery, EverythingStandsStillDuringAHoldAndBubblesGoWithTheGame) {
  StartPlaying();
  Puzir* bubble = Engine().Create<Puzir>(*G().Play1, R());
  const Vodorosl* weed = R().Backdrop->Weeds[0];
  G().Hold1.PausePlay();
  const int waveX = R().Wave->X, bubbleY = bubble->Y, weedFrame = weed->FramePos;
  G().GameState = Screen::ExitGameQuestion;  // a state change during a hold leaves bubbles alone
  Frames(60);
  EXPECT_EQ(R().Wave->X, waveX);
  EXPECT_EQ(bubble->Y, bubbleY);
  EXPECT_FALSE(bubble->Dying());
  EXPECT_EQ(weed->FramePos, weedFrame);

  // Once play runs again outside "Game", the bubble goes.
  G().Hold1.Release();
  Frames(1);
  EXPECT_EQ(CountOf<Puzir>(), 0);
}

TEST_F(Scenery, SeaweedSwaysEveryAnimDelayFrames) {
  StartPlaying();
  Vodorosl* weed = R().Backdrop->Weeds[0];
  weed->AnimDelay = 12;
  weed->FramePos = 0;
  std::vector<int> frames;
  for (int m = 0; m < 60; ++m) {
    weed->Step(m);
    frames.push_back(weed->FramePos);
  }
  // Steps at m = 0, 12, 24, 36, 48, wrapping after the last of 4 frames.
  EXPECT_EQ(frames[0], 1);
  EXPECT_EQ(frames[11], 1);
  EXPECT_EQ(frames[12], 2);
  EXPECT_EQ(frames[36], 0);
  EXPECT_EQ(frames[48], 1);
}

}  // namespace
}  // namespace klv
