// Round rules: the level table, the time bonus, the rising score text, the
// time bar, the end of a game by time, and the same game from the same seed.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/text_colours.h"
#include "engine/random.h"
#include "engine/surface.h"
#include "play/fish.h"
#include "play/fon.h"
#include "play/limit_time.h"
#include "play/objcts.h"
#include "play/player_time.h"
#include "play/puzir.h"
#include "play/quota.h"
#include "play/to_do_fish.h"
#include "round_fixture.h"
#include "support/game_fixture.h"

namespace klv {
namespace {

struct LevelCase {
  int level;
  std::vector<std::pair<int, int>> quota;  // {kind, left}; kind 0: any kind 1..10
  int timeLimit;
};

uint32_t Px(const Surface& s, int x, int y) {
  return s.Pixels()[size_t(y) * s.Width() + x];
}

std::vector<std::pair<int, int>> Stairs(int n) {
  std::vector<std::pair<int, int>> v;
  for (int i = 1; i <= n; ++i) v.push_back({i, n - i + 1});
  return v;
}

TEST(LevelTable, TheFirstNineteenLevels) {
  const LevelCase cases[] = {
      {1, {{1, 1}}, 11},
      {2, {{1, 2}, {2, 1}}, 13},
      {3, {{1, 5}}, 15},
      {4, Stairs(3), 16},
      {5, Stairs(4), 20},
      {6, {{2, 10}}, 20},
      {7, Stairs(5), 25},
      {8, Stairs(6), 31},
      {9, {{3, 15}}, 25},
      {10, Stairs(7), 38},
      {11, Stairs(8), 46},
      {12, {{4, 20}}, 30},
      {13, Stairs(9), 55},
      {14, Stairs(10), 65},
      {15, {{5, 25}}, 35},
      {16,
       {{1, 10}, {2, 10}, {3, 10}, {4, 10}, {5, 10}, {6, 10}, {7, 10}, {8, 10}, {9, 10}, {10, 10}},
       110},
      {17, {{0, 34}, {0, 34}, {0, 34}}, 112},
      {18, {{0, 54}}, 64},
      {19,
       {{1, 13}, {2, 13}, {3, 13}, {4, 13}, {5, 13}, {6, 13}, {7, 13}, {8, 13}, {9, 13}, {10, 13}},
       140},
  };
  Random rng(5);
  for (const LevelCase& c : cases) {
    TargetTable t;
    const int n = BuildQuota(c.level, rng, t);
    ASSERT_EQ(n, static_cast<int>(c.quota.size())) << "level " << c.level;
    int timeLimit = 10;
    for (int i = 1; i <= n; ++i) {
      const auto [kind, left] = c.quota[i - 1];
      if (kind == 0) {
        EXPECT_GE(t[i].Kind, 1) << "level " << c.level;
        EXPECT_LE(t[i].Kind, 10) << "level " << c.level;
      } else {
        EXPECT_EQ(t[i].Kind, kind) << "level " << c.level << " entry " << i;
      }
      EXPECT_EQ(t[i].Left, left) << "level " << c.level << " entry " << i;
      timeLimit += t[i].Left;
    }
    for (int i = n + 1; i <= 10; ++i) EXPECT_EQ(t[i].Left, 0);
    EXPECT_EQ(timeLimit, c.timeLimit) << "level " << c.level;
  }
}

TEST(LevelTable, RandomLevelsDrawTheirKindsFromTheGenerator) {
  std::set<int> kinds;
  Random rng(11);
  for (int i = 0; i < 200; ++i) {
    TargetTable t;
    BuildQuota(17, rng, t);
    for (int e = 1; e <= 3; ++e) kinds.insert(t[e].Kind);
  }
  EXPECT_EQ(kinds.size(), 10u);
  Random a(3), b(3);
  TargetTable ta, tb;
  BuildQuota(18, a, ta);
  BuildQuota(18, b, tb);
  EXPECT_EQ(ta[1].Kind, tb[1].Kind);
}

// The round's rules, on a round alone.
using RoundAlone = test::RoundFixture;

TEST_F(RoundAlone, StartLevelSetsTheClockIconsAndPopup) {
  EXPECT_EQ(R().LevelNo, 1);
  EXPECT_EQ(R().TimeLimit, 11);
  EXPECT_EQ(R().RoundClock, 1100);
  EXPECT_EQ(R().ScorePopupY, 171);
  EXPECT_TRUE(P().Visible);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(R().TargetIcons[k]->Shown, k == 1) << k;

  StartLevel(LevelStart::AfterBonus);
  StartLevel(LevelStart::AfterBonus);
  StartLevel(LevelStart::AfterBonus);
  EXPECT_EQ(R().LevelNo, 4);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(R().TargetIcons[k]->Shown, k <= 3) << k;
  EXPECT_EQ(R().RoundClock, 1600);
  // Each level stops the clock and the effects; from level 2 on "Level" sounds.
  EXPECT_FALSE(hold_.ClockOn);
  EXPECT_EQ(effects_.Count("sound Level"), 3);
  EXPECT_EQ(effects_.Notes.front(), "silence");
  // Only a new game opens with the "Готовсь!" hold (whose end starts the clock).
  EXPECT_FALSE(hold_.HoldOn);
  R().NewGame();
  StartLevel(LevelStart::NewGame);
  EXPECT_EQ(R().LevelNo, 1);
  EXPECT_TRUE(hold_.HoldOn);
  EXPECT_EQ(R().AnglerScore().Shown(), 0);
}

TEST_F(RoundAlone, TheClockTicksDownAndThenTheTimeIsUp) {
  R().RoundClock = 2;
  for (int i = 0; i < 2; ++i) {
    const RoundEvents e = R().TickClock();
    EXPECT_FALSE(e.TimeUp);
    EXPECT_TRUE(e.Sounds.empty());
  }
  EXPECT_EQ(R().RoundClock, 0);
  // At zero the next tick ends the game: every effect stops, then "Over".
  const std::vector<SoundCue> over = {{SoundCue::Act::SilenceAll, nullptr},
                                      {SoundCue::Act::Play, "Over"}};
  RoundEvents e = R().TickClock();
  EXPECT_TRUE(e.TimeUp);
  EXPECT_EQ(e.Sounds, over);
  EXPECT_FALSE(e.LevelComplete || e.LevelStarted || e.GetReady || e.BonusOver);
  EXPECT_EQ(R().RoundClock, 0);
  R().RoundClock = -5;  // never counted below zero
  EXPECT_TRUE(R().TickClock().TimeUp);
  EXPECT_EQ(R().RoundClock, -5);
}

// Each step reports only what it brought about: a report is never handed
// out twice, and a step with nothing to tell reports nothing.
TEST_F(RoundAlone, EachStepReportsWhatItBroughtAboutOnce) {
  const std::vector<SoundCue> level2 = {{SoundCue::Act::SilenceAll, nullptr},
                                        {SoundCue::Act::Play, "Level"}};
  RoundEvents e = R().StartLevel(LevelStart::AfterBonus);
  EXPECT_TRUE(e.LevelStarted);
  EXPECT_FALSE(e.GetReady) << "only a new game gets ready";
  EXPECT_EQ(e.Sounds, level2);
  e = R().AfterMove();
  EXPECT_FALSE(e.LevelStarted || e.LevelComplete || e.TimeUp || e.GetReady || e.BonusOver);
  EXPECT_TRUE(e.Sounds.empty());
  // The last bonus tick ends the bonus and sets up the next level in one report.
  R().RoundClock = 99;
  e = R().TickBonus();
  EXPECT_TRUE(e.BonusOver);
  EXPECT_TRUE(e.LevelStarted);
  EXPECT_EQ(R().LevelNo, 3);
  R().RoundClock = 100;
  e = R().TickBonus();
  EXPECT_FALSE(e.BonusOver || e.LevelStarted);
  EXPECT_EQ(R().RoundClock, 0);
}

// The screen on show, as the round is told it each frame, decides who
// stays: the water empties once play is off screen (the exit question keeps
// fish and objects, not bubbles), and the angler goes once the menu is back.
TEST_F(RoundAlone, TheScreenToldDecidesWhoStays) {
  struct Case {
    Screen screen;
    bool fishStay;
    bool bubblesStay;
    bool anglerStays;
  };
  const Case cases[] = {{Screen::Game, true, true, true},
                        {Screen::ExitGameQuestion, true, false, true},
                        {Screen::GameOver, false, false, true},
                        {Screen::EnterName, false, false, true},
                        {Screen::Menu, false, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.screen));
    R().RemoveScene();
    R().NewGame();
    StartLevel(LevelStart::NewGame);
    hold_.HoldOn = false;
    MakeFish(1, 300, 300);
    Engine().Create<Objcts>(ctx_, R());
    Engine().Create<Puzir>(ctx_, R());
    screen_ = c.screen;
    Frames(1);
    EXPECT_EQ(CountOf<Fish>(), c.fishStay ? 1 : 0);
    EXPECT_EQ(CountOf<Objcts>(), c.fishStay ? 1 : 0);
    EXPECT_EQ(CountOf<Puzir>(), c.bubblesStay ? 1 : 0);
    EXPECT_EQ(CountOf<Player>(), c.anglerStays ? 1 : 0);
    EXPECT_EQ(R().Players[0] != nullptr, c.anglerStays);
    // The water empties for the next case.
    screen_ = Screen::GameOver;
    Frames(1);
    screen_ = Screen::Game;
  }
}

class Completion : public test::RoundFixture {
 protected:
  // Lands the one fish level 1 asks for with `clock` ticks left after the
  // landing's half second.
  void CompleteLevelOne(int clock) {
    HookedFish(1);
    R().TimeLimit = 20;  // room above the clock for the half second
    R().RoundClock = clock - 50;
    Frames(1);
    ASSERT_EQ(R().RoundClock, clock);
    ASSERT_TRUE(hold_.BonusOn);
    ASSERT_TRUE(hold_.HoldOn);
    ASSERT_FALSE(hold_.ClockOn);
  }
};

TEST_F(Completion, TwelvePointThreeFourSecondsGiveSixtyPointsInTwelveTicks) {
  CompleteLevelOne(1234);
  const int before = R().AnglerScore().Shown();  // the fish's 10
  EXPECT_EQ(before, 10);
  int ticks = 0;
  while (hold_.BonusOn && ticks < 100) {
    TickBonus();
    ++ticks;
  }
  // Twelve ticks of 5 points, then the tick that finds under a second left
  // sets up level 2 with its own clock; the 34 ticks left over are gone.
  EXPECT_EQ(ticks, 13);
  EXPECT_EQ(R().AnglerScore().Shown(), before + 60);
  EXPECT_EQ(R().LevelNo, 2);
  EXPECT_EQ(R().RoundClock, 1300);
  // The hold goes on: its own end starts the clock.
  EXPECT_TRUE(hold_.HoldOn);
  EXPECT_FALSE(hold_.ClockOn);
}

TEST_F(Completion, TheRisingScoreTextLivesFourteenFrames) {
  R().FishCount = 1;
  HookedFish(2);  // not wanted on level 1: no level end
  Frames(1);      // landed after the move; the text starts at the float, y 171
  ASSERT_TRUE(R().ScorePopupShown);
  EXPECT_EQ(effects_.Count("sound Poimal"), 1);
  int shown = 1;
  while (R().ScorePopupShown && shown < 100) {
    Frames(1);
    if (R().ScorePopupShown) ++shown;
  }
  // 171 - 3 * 14 = 129 is the first height at or above 130.
  EXPECT_EQ(shown, 14);
  EXPECT_EQ(R().ScorePopupValue, 0);
  EXPECT_EQ(R().ScorePopupY, 80) << "back at the angler";
  EXPECT_EQ(effects_.Count("sound Poimal"), 1) << "once a catch";
}

TEST_F(RoundAlone, TheTimeBarFlashesFromThirtyPercentDown) {
  PlayerTime& fill = *R().TimeBar->Fill;
  R().TimeLimit = 100;
  struct Case {
    int clock;
    int right;     // the fill's right edge
    bool flashes;  // frame 1 in the alarm half of the blink
  };
  const Case cases[] = {{10000, 187 + 429, false}, {3001, 187 + 129, false},
                        {3000, 187 + 129, true},   {1000, 187 + 43, true},
                        {0, 187 + 0, true},        {-50, 187 + 0, true}};
  for (const Case& c : cases) {
    R().RoundClock = c.clock;
    fill.Blink = false;
    EXPECT_EQ(fill.FillFrame(), 0) << c.clock;
    fill.Blink = true;
    EXPECT_EQ(fill.FillFrame(), c.flashes ? 1 : 0) << c.clock;
    EXPECT_EQ(fill.FillRight(), c.right) << c.clock;
  }
  // Drawing does not touch the clock; the blink follows the frame counter,
  // through its wrap from 255 to 0.
  R().RoundClock = 0;
  frameCounter_ = 255 - 32;
  std::vector<int> frames;
  for (int i = 0; i < 64; ++i) {
    Frames(1);
    frames.push_back(fill.FillFrame());
  }
  EXPECT_EQ(R().RoundClock, 0);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(frames[i], (i / 16) % 2) << "frame " << i;
}

// The picture is drawn from the round's state and changes none of it: a
// fish above the water line is not landed, the rising points do not rise,
// the time bar does not change its flash, nothing sounds.
TEST_F(RoundAlone, DrawingChangesNothing) {
  Fish* f = HookedFish(2);
  f->Y = 200;  // above the water line: the next frame lands it
  R().ScorePopupShown = true;
  R().ScorePopupY = 160;
  R().CatchSoundDue = true;
  R().TimeBar->Fill->Blink = false;
  effects_.Notes.clear();
  const int score = R().AnglerScore().Shown(), clock = R().RoundClock, fish = R().FishCount;
  for (int i = 0; i < 2; ++i) {
    Engine().Draw();
    R().Draw(canvas_);
  }
  EXPECT_FALSE(f->Dying());
  EXPECT_EQ(f->Y, 200);
  EXPECT_EQ(R().AnglerScore().Shown(), score);
  EXPECT_EQ(R().RoundClock, clock);
  EXPECT_EQ(R().FishCount, fish);
  EXPECT_EQ(R().ScorePopupY, 160);
  EXPECT_TRUE(R().CatchSoundDue);
  EXPECT_FALSE(R().TimeBar->Fill->Blink);
  EXPECT_TRUE(effects_.Notes.empty());
  // The frame's own steps do it all, the fish still drawn where it was lifted.
  frameCounter_ = 15;
  Frames(1);
  EXPECT_TRUE(f->Dying());
  EXPECT_EQ(R().AnglerScore().Shown(), score + 10);
  EXPECT_TRUE(R().TimeBar->Fill->Blink);
}

using RoundTest = test::GameFixture;

TEST_F(RoundTest, TheClockAtZeroEndsTheGameEvenWithACatchOnTheHook) {
  StartPlaying();
  Fish* f = MakeFish(1, 300, 400);
  Press(vk::Control);
  Frames(30);
  Release(vk::Control);
  Frames(1);
  Hook().Catching = true;
  bool stop = false;
  f->HitBy(Hook(), stop);
  ASSERT_TRUE(f->Hooked);
  R().RoundClock = 0;
  Wait(10);
  EXPECT_EQ(G().GameState, Screen::GameOver);
  EXPECT_TRUE(G().GameFinished);
  EXPECT_FALSE(G().Hold1.Clock().Enabled());
  EXPECT_TRUE(G().Timer3.Enabled());
  Frames(1);
  EXPECT_EQ(CountOf<Fish>(), 0) << "fish go when the state leaves Game";
  EXPECT_EQ(R().AnglerScore().Shown(), 0);
  // Four seconds later the game is back at the menu (the score is no record).
  Wait(4100);
  EXPECT_EQ(G().GameState, Screen::Menu);
  EXPECT_EQ(R().Players[0], nullptr);
  EXPECT_EQ(R().Backdrop->Scene(), 0);
}

// True when some pixel of the area has exactly the colour (text cores are solid).
bool HasColour(const Surface& s, int x0, int y0, int w, int h, uint32_t colour) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if (Px(s, x, y) == colour) return true;
  return false;
}

TEST_F(RoundTest, GetReadyDuringTheHoldAndDoneDuringTheBonus) {
  G().StartGame();
  Frames(2);
  EXPECT_TRUE(HasColour(platform_->LastFrame(), 325, 300, 120, 40, Rgb(0, 255, 0))) << "Готовсь!";
  Wait(2100);
  Frames(2);
  EXPECT_FALSE(HasColour(platform_->LastFrame(), 325, 300, 120, 40, Rgb(0, 255, 0)));
  // The bonus count after a completed level shows "Готово!" in gold.
  R().RoundClock = 500;
  G().Hold1.HoldForBonus();
  Frames(2);
  EXPECT_TRUE(HasColour(platform_->LastFrame(), 325, 300, 120, 40, kTextGold)) << "Готово!";
  EXPECT_FALSE(HasColour(platform_->LastFrame(), 325, 300, 120, 40, Rgb(0, 255, 0)));
}

TEST_F(RoundTest, TheRoundTextsAreDrawn) {
  StartPlaying();
  G().Hold1.StopClock();
  R().LocalAngler()->Score.Add(1234);
  Frames(1);
  const Surface& frame = platform_->LastFrame();
  auto differsFromBackdrop = [&](int x0, int y0, int w, int h) {
    // The scene pictures are plain shades; text leaves other colours.
    const uint32_t base = Px(frame, x0 + w - 1, y0 + h - 1);
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x)
        if (Px(frame, x, y) != base && (Px(frame, x, y) & 0xFFFFFF) == 0xFFFFFF) return true;
    return false;
  };
  EXPECT_TRUE(differsFromBackdrop(700, 567, 90, 20)) << "score in white";
  EXPECT_TRUE(differsFromBackdrop(80, 560, 60, 28)) << "level in white";
}

TEST_F(RoundTest, TheSameSeedAndInputsGiveTheSameFrames) {
  auto play = [&](uint64_t seed) {
    Shutdown();
    Boot(seed);
    G().StartGame();
    std::vector<uint64_t> hashes;
    for (int i = 0; i < 400; ++i) {
      if (i % 50 == 10) Press(vk::Control);
      if (i % 50 == 40) Release(vk::Control);
      if (i % 120 == 0) Press(vk::Right);
      if (i % 120 == 60) Release(vk::Right);
      Frames(1);
      if (i % 20 == 0) {
        const Surface& s = platform_->LastFrame();
        uint64_t h = 1469598103934665603ull;
        for (int y = 0; y < s.Height(); ++y)
          for (int x = 0; x < s.Width(); ++x) h = (h ^ Px(s, x, y)) * 1099511628211ull;
        hashes.push_back(h);
      }
    }
    Release(vk::Control);
    Release(vk::Right);
    return hashes;
  };
  const auto a = play(21);
  const auto b = play(21);
  const auto c = play(22);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

}  // namespace
}  // namespace klv
