// Fish and objects: creation from the game's generator, the hit reaction of
// a rising hook only, the spiny fish's sting, landing with its score, clock
// and quota, leaving the screen and removal on a new level.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "play/play_tables.h"
#include "round_fixture.h"
#include "support/game_fixture.h"

namespace klv {
namespace {

using FishTest = test::GameFixture;

using test::SetQuota;

// Each row of the kinds tables is the kind of its number, named.
TEST(KindTables, EachRowIsTheKindOfItsNumber) {
  for (int k = 1; k <= kFishKindCount; ++k) {
    EXPECT_EQ(static_cast<int>(kFishKinds[k].Kind), k);
    EXPECT_STRNE(kFishKinds[k].Name, "") << k;
  }
  for (int k = 1; k <= kObjectKindCount; ++k) {
    EXPECT_EQ(static_cast<int>(kObjectKinds[k].Kind), k);
    EXPECT_STRNE(kObjectKinds[k].Name, "") << k;
  }
  EXPECT_EQ(kFishKinds.size(), size_t(kFishKindCount + 1));
  EXPECT_EQ(kObjectKinds.size(), size_t(kObjectKindCount + 1));
}

TEST_F(FishTest, CreationFollowsTheQuotaAndEntersFromEitherSide) {
  StartPlaying();
  SetQuota(R(), {{1, 3}, {2, 2}, {8, 1}});
  std::set<int> kinds, speeds;
  int fromLeft = 0, fromRight = 0;
  for (int i = 0; i < 400; ++i) {
    Fish* f = Engine().Create<Fish>(*G().Play1, R());
    const int k = static_cast<int>(f->Kind);
    kinds.insert(k);
    speeds.insert(f->Speed);
    ASSERT_TRUE(k == 1 || k == 2 || k == 8) << k;
    ASSERT_EQ(f->Image->Name, "Fish" + std::to_string(k) + (f->FacesLeft ? "R" : "L"));
    if (f->FacesLeft) {
      ++fromRight;
      EXPECT_EQ(f->X, 805);
      EXPECT_TRUE(f->Speed <= -3 && f->Speed >= -9) << int(f->Speed);
    } else {
      ++fromLeft;
      EXPECT_EQ(f->X, -test::kFishW[k] - 5);
      EXPECT_TRUE(f->Speed >= 3 && f->Speed <= 9) << int(f->Speed);
    }
    if (k == 8) {
      EXPECT_EQ(f->Y, 500);
    } else {
      EXPECT_GE(f->Y, 230);
      EXPECT_LT(f->Y + f->Height, 530);
    }
    EXPECT_EQ(f->Value, kFishKinds[k].Value);
    EXPECT_EQ(f->RestFrames, kFishKinds[k].RestFrames);
    EXPECT_EQ(f->TimeBonus, 0.5);
    EXPECT_EQ(f->SpawnLevel, R().LevelNo);
    EXPECT_EQ(f->Depth(), -1);
    EXPECT_EQ(f->FrameCount, 4);
    EXPECT_FALSE(f->Hooked || f->Stung);
    f->MarkDead();
    Engine().FlushDead();
  }
  EXPECT_EQ(kinds.size(), 3u);
  EXPECT_EQ(speeds.size(), 14u) << "3..9 each way";
  EXPECT_GT(fromLeft, 120);
  EXPECT_GT(fromRight, 120);
}

TEST_F(FishTest, LaterQuotaEntriesAreDrawnLessOften) {
  StartPlaying();
  SetQuota(R(), {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {10, 1}});
  std::map<int, int> n;
  for (int i = 0; i < 3000; ++i) {
    Fish* f = Engine().Create<Fish>(*G().Play1, R());
    ++n[static_cast<int>(f->Kind)];
    f->MarkDead();
    Engine().FlushDead();
  }
  // Entry 1 comes about three times as often as entry 10.
  EXPECT_GT(n[1], 2 * n[10]);
  EXPECT_GT(n[5], n[6]);
  EXPECT_GT(n[8], n[9]);
}

TEST_F(FishTest, AnEmptyQuotaEntryFallsBackToKindOneWanted) {
  StartPlaying();
  SetQuota(R(), {{0, 0}});
  Fish* f = Engine().Create<Fish>(*G().Play1, R());
  EXPECT_GE(static_cast<int>(f->Kind), 1);
  EXPECT_LE(static_cast<int>(f->Kind), 10);
  EXPECT_EQ(R().Targets[1].Kind, 1);
  EXPECT_EQ(R().Targets[1].Left, 3);
}

TEST_F(FishTest, TheSameSeedMakesTheSameFishAndObjects) {
  StartPlaying();
  SetQuota(R(), {{1, 3}, {2, 2}, {3, 1}});
  auto draw = [&] {
    std::vector<std::tuple<int, int, int, int>> out;
    for (int i = 0; i < 30; ++i) {
      Fish* f = Engine().Create<Fish>(*G().Play1, R());
      Objcts* o = Engine().Create<Objcts>(*G().Play1, R());
      out.emplace_back(static_cast<int>(f->Kind), f->X, f->Y, f->Speed);
      out.emplace_back(static_cast<int>(o->Kind), o->X, o->Y, o->Speed);
      f->MarkDead();
      o->MarkDead();
      Engine().FlushDead();
    }
    return out;
  };
  const Random saved = G().Rng;
  const uint8_t bottom = R().BottomObjectCount;
  auto first = draw();
  G().Rng = saved;
  R().BottomObjectCount = bottom;
  EXPECT_EQ(draw(), first);
}

TEST_F(FishTest, ObjectsCrossOrLieOnTheBottom) {
  StartPlaying();
  R().TimeLimit = 47;
  std::set<int> kinds;
  for (int i = 0; i < 300; ++i) {
    R().BottomObjectCount = 0;
    Objcts* o = Engine().Create<Objcts>(*G().Play1, R());
    const int k = static_cast<int>(o->Kind);
    kinds.insert(k);
    EXPECT_EQ(o->Image->Name, "Obj" + std::to_string(k));
    EXPECT_EQ(o->Depth(), -2);
    EXPECT_EQ(o->Value, kObjectKinds[k].Value);
    const int expectTime[] = {0, 0, -4, 0, 4, 0};
    EXPECT_EQ(o->TimeEffect, expectTime[k]);
    if (k == 5) {
      EXPECT_EQ(o->Y, 490);
      EXPECT_GE(o->X, 50);
      EXPECT_LT(o->X, 650);
      EXPECT_EQ(o->Speed, 2);
      EXPECT_EQ(R().BottomObjectCount, 1);
    } else {
      EXPECT_TRUE((o->X == -35 && o->Speed >= 3) || (o->X == 805 && o->Speed <= -3));
      EXPECT_GE(o->Y, 230);
      EXPECT_LT(o->Y + o->Height, 530);
      EXPECT_EQ(R().BottomObjectCount, 0);
    }
    o->MarkDead();
    Engine().FlushDead();
  }
  EXPECT_EQ(kinds.size(), 5u);

  // With more than three treasures on the bottom no new one comes.
  R().BottomObjectCount = 4;
  for (int i = 0; i < 200; ++i) {
    Objcts* o = Engine().Create<Objcts>(*G().Play1, R());
    EXPECT_NE(o->Kind, ObjectKind::Shell);
    o->MarkDead();
    Engine().FlushDead();
  }
}

TEST_F(FishTest, AtMostTenFishAndTenObjectsAndTheCountsStayTrue) {
  StartPlaying();
  G().Hold1.StopClock();  // a clock that never runs out
  SetQuota(R(), {{1, 50}, {2, 50}, {3, 50}});
  int maxFish = 0;
  for (int i = 0; i < 4000; ++i) {
    Frames(1);
    const int fish = CountOf<Fish>();
    const int objects = CountOf<Objcts>();
    ASSERT_LE(fish, 10);
    ASSERT_LE(objects, 10);
    ASSERT_EQ(R().FishCount, fish) << "frame " << i;
    ASSERT_EQ(R().ObjectCount, objects) << "frame " << i;
    maxFish = std::max(maxFish, fish);
  }
  EXPECT_GE(maxFish, 5) << "fish do come";
}

TEST_F(FishTest, OnlyARisingHookTakesAFishOrObject) {
  StartPlaying();
  Fish* f = MakeFish(6, 300, 300);
  Objcts* o = Engine().Create<Objcts>(*G().Play1, R());
  Kruk& hook = Hook();
  bool stop = false;

  hook.Catching = false;
  f->HitBy(hook, stop);
  o->HitBy(hook, stop);
  EXPECT_FALSE(f->Hooked || o->Hooked);
  f->HitBy(P(), stop);  // anything but a hook does nothing
  EXPECT_FALSE(f->Hooked);

  hook.Catching = true;
  R().ScorePopupValue = 0;
  f->HitBy(hook, stop);
  EXPECT_TRUE(f->Hooked);
  EXPECT_TRUE(P().HasCatch);
  EXPECT_EQ(R().ScorePopupValue, 20);
  const int angle = static_cast<int8_t>(f->Angle);
  EXPECT_TRUE(angle <= -60 && angle >= -69) << angle;
  f->HitBy(hook, stop);  // taken once only
  EXPECT_EQ(R().ScorePopupValue, 20);
  o->HitBy(hook, stop);
  EXPECT_TRUE(o->Hooked);
  EXPECT_EQ(R().ScorePopupValue, 20 + o->Value);

  Fish* flat = MakeFish(9, 300, 300);
  flat->HitBy(hook, stop);
  const int flatAngle = static_cast<int8_t>(flat->Angle);
  EXPECT_TRUE(flatAngle <= 0 && flatAngle >= -9) << flatAngle;
  hook.Catching = false;
}

TEST_F(FishTest, TheHookTakesAFishOnlyOnTheWayUp) {
  StartPlaying();
  G().Hold1.StopClock();
  // Hold the hook still at 327: down to 333, one frame up, then hold again.
  Press(vk::Control);
  Frames(18);
  Release(vk::Control);
  Frames(1);
  Press(vk::Control);
  Frames(1);
  ASSERT_EQ(Hook().Y, 327);
  ASSERT_TRUE(P().Reeling);
  // A fish swims slowly over the still hook: it is not taken.
  Fish* f = MakeFish(1, Hook().X - 40, 320);
  f->Speed = 9;  // two pixels a frame
  Frames(12);
  ASSERT_FALSE(f->Hooked);
  ASSERT_LT(f->X, Hook().X + 7);
  // Let go: the rising hook takes it at once.
  Release(vk::Control);
  Frames(1);
  EXPECT_TRUE(f->Hooked);
  EXPECT_TRUE(P().HasCatch);
}

TEST_F(FishTest, TheSpinyFishStingsExceptAtItsTrailingEnd) {
  StartPlaying();
  G().Hold1.StopClock();
  struct Case {
    bool facesLeft;
    int hx;  // hook column + 3, relative to the fish
    int hy;  // relative to the fish
    bool stung;
  };
  // The fish is 100 x 32; its trailing 55 pixels are safe.
  const Case cases[] = {
      {false, 10, 10, false}, {false, 54, 10, false}, {false, 55, 10, true},
      {false, 100, 10, true}, {false, 80, -10, true}, {false, 80, 18, true},
      {false, 80, 19, false},  // below the stinging body: the belly
      {true, 90, 10, false},  {true, 46, 10, false},  {true, 45, 10, true},
      {true, 0, 10, true},
  };
  for (const Case& c : cases) {
    Fish* f = MakeFish(10, 300, 300, c.facesLeft);
    f->Speed = 127;  // stands still for this step
    Kruk& hook = Hook();
    hook.X = 300 + c.hx - 3;
    hook.Y = 300 + c.hy;
    hook.Catching = true;
    P().HasCatch = false;
    R().ScorePopupValue = 0;
    f->Step(1);
    const std::string what = std::string(c.facesLeft ? "R" : "L") + " hx " + std::to_string(c.hx) +
                             " hy " + std::to_string(c.hy);
    EXPECT_TRUE(f->Hooked) << what;
    EXPECT_EQ(f->Stung, c.stung) << what;
    EXPECT_EQ(R().ScorePopupValue, c.stung ? -50 : 100) << what;
    EXPECT_TRUE(P().HasCatch) << what;
    if (c.stung) {
      EXPECT_GE(f->Angle, 60);
      EXPECT_LE(f->Angle, 69);
    }
    f->MarkDead();
    hook.Catching = false;
  }
}

// Landing, on a round alone: the clock changes only by landings here.
using Landing = test::RoundFixture;

TEST_F(Landing, ScoresCapsTheClockAndCountsTheQuota) {
  struct Case {
    int kind;
    int clockBefore;
    int clockAfter;
  };
  const Case cases[] = {{1, 500, 550}, {6, 1040, 1090}, {7, 1050, 1100}, {9, 1080, 1100}};
  int score = 0;
  for (const Case& c : cases) {
    SetQuota(R(), {{c.kind, 2}, {c.kind, 1}, {3, 5}});
    R().TimeLimit = 11;
    R().RoundClock = c.clockBefore;
    R().FishCount = 3;
    HookedFish(c.kind);
    Frames(1);
    score += kFishKinds[c.kind].Value;
    EXPECT_EQ(R().AnglerScore().Shown(), score) << "kind " << c.kind;
    EXPECT_EQ(R().RoundClock, c.clockAfter) << "kind " << c.kind;
    EXPECT_EQ(R().FishCount, 2);
    // Both entries of the kind are counted down; the first reaches zero.
    EXPECT_EQ(R().Targets[1].Left, 1);
    EXPECT_EQ(R().Targets[2].Left, 0);
    EXPECT_EQ(R().Targets[3].Left, 5);
    EXPECT_EQ(R().TargetsDone, 1);
    EXPECT_TRUE(R().ScorePopupShown);
    EXPECT_EQ(CountOf<Fish>(), 0) << "landed and gone";
    EXPECT_FALSE(hold_.BonusOn);
  }
}

TEST_F(Landing, TheLastWantedFishCompletesTheLevel) {
  SetQuota(R(), {{2, 1}});
  HookedFish(2);
  effects_.Notes.clear();
  Frames(1);
  EXPECT_EQ(R().TargetsDone, 1);
  // The clock stops, play holds and the time left turns into points.
  EXPECT_FALSE(hold_.ClockOn);
  EXPECT_TRUE(hold_.HoldOn);
  EXPECT_TRUE(hold_.BonusOn);
  EXPECT_EQ(effects_.Notes, std::vector<std::string>{"silence"}) << "and no \"Poimal\" while held";
}

TEST_F(Landing, AStungFishCostsFiftyButStillCounts) {
  SetQuota(R(), {{10, 2}});
  Fish* f = HookedFish(10);
  f->Stung = true;
  Frames(1);
  EXPECT_EQ(R().AnglerScore().Shown(), -50);
  EXPECT_EQ(R().Targets[1].Left, 1);
}

TEST_F(Landing, ObjectsGivePointsAndTimeButNoQuota) {
  SetQuota(R(), {{1, 1}});
  R().TimeLimit = 20;
  struct Case {
    int kind;
    int clockBefore;
    int clockAfter;
    int points;
  };
  // Kind 2 costs TimeLimit div 10 = 2 s, kind 4 gives 2 s.
  const Case cases[] = {{1, 900, 900, -50}, {2, 900, 700, -50}, {2, 150, -50, -50},
                        {3, 900, 900, 50},  {4, 900, 1100, 0},  {4, 1900, 2000, 0},
                        {5, 900, 900, 100}};
  int score = 0;
  for (const Case& c : cases) {
    Objcts* o = nullptr;
    for (int i = 0; i < 500; ++i) {
      R().BottomObjectCount = 0;
      o = Engine().Create<Objcts>(ctx_, R());
      if (static_cast<int>(o->Kind) == c.kind) break;
      o->MarkDead();
      Engine().FlushDead();
    }
    ASSERT_EQ(static_cast<int>(o->Kind), c.kind);
    R().ObjectCount = 1;
    R().RoundClock = c.clockBefore;
    test::HitWithHook(*o, Hook());
    Frames(1);
    score += c.points;
    EXPECT_EQ(R().AnglerScore().Shown(), score) << "kind " << c.kind;
    EXPECT_EQ(R().RoundClock, c.clockAfter) << "kind " << c.kind;
    EXPECT_EQ(R().ObjectCount, 0);
    EXPECT_EQ(R().BottomObjectCount, 0);
    EXPECT_EQ(R().Targets[1].Left, 1);
    EXPECT_EQ(CountOf<Objcts>(), 0);
  }
}

TEST_F(Landing, AHookedFishHangsAtTheHookButNeverSinksBelow550) {
  struct Case {
    int kind;
    int hookY;
    int wantY;  // -1: stays where it was
  };
  // Kinds 1 (50 x 20) and 9 (120 x 24, hangs 30 pixels higher).
  const Case cases[] = {{1, 400, 400}, {1, 509, 509}, {1, 510, -1},
                        {9, 400, 370}, {9, 535, 505}, {9, 536, -1}};
  for (const Case& c : cases) {
    Fish* f = HookedFish(c.kind);
    f->Y = 444;
    Hook().X = 321;
    Hook().Y = c.hookY;
    f->FollowHook(Hook());
    EXPECT_EQ(f->X, 321) << c.kind << " at " << c.hookY;
    EXPECT_EQ(f->Y, c.wantY < 0 ? 444 : c.wantY) << c.kind << " at " << c.hookY;
    f->MarkDead();
  }
  Hook().Y = 225;
  Frames(1);
}

// Fish and objects are landed the one way, each at its own moment: a hooked
// fish after the move pass, even while play is held (it shows where it was
// lifted), a hooked object in its own step, so it waits out a hold.
TEST_F(Landing, WhilePlayIsHeldAFishIsLandedAndAnObjectWaits) {
  SetQuota(R(), {{1, 5}});
  R().TimeLimit = 20;
  R().RoundClock = 1000;
  R().FishCount = 1;
  R().ObjectCount = 1;
  Fish* f = HookedFish(1);
  Objcts* o = nullptr;
  for (int i = 0; i < 500 && !o; ++i) {
    R().BottomObjectCount = 0;
    o = Engine().Create<Objcts>(ctx_, R());
    if (o->Kind == ObjectKind::Bottle) break;  // +50, no time
    o->MarkDead();
    Engine().FlushDead();
    o = nullptr;
  }
  ASSERT_NE(o, nullptr);
  test::HitWithHook(*o, Hook());
  EXPECT_EQ(R().ScorePopupValue, 10 + 50) << "both shown as taken";
  hold_.HoldOn = true;
  Frames(1);
  EXPECT_TRUE(f->Dying());
  EXPECT_FALSE(o->Dying());
  EXPECT_EQ(R().AnglerScore().Shown(), 10);
  EXPECT_EQ(R().RoundClock, 1050);
  EXPECT_EQ(R().FishCount, 0);
  EXPECT_EQ(R().ObjectCount, 1);
  EXPECT_EQ(R().Targets[1].Left, 4);
  hold_.HoldOn = false;
  Frames(1);
  EXPECT_EQ(CountOf<Objcts>(), 0);
  EXPECT_EQ(R().AnglerScore().Shown(), 60);
  EXPECT_EQ(R().RoundClock, 1050) << "a bottle gives no time";
  EXPECT_EQ(R().ObjectCount, 0);
  EXPECT_EQ(R().Targets[1].Left, 4) << "objects never count for the quota";
}

TEST_F(Landing, AHookedObjectHangsUnderTheHookWithItsHookedFrame) {
  HoldKeys({vk::Control});
  Frames(30);
  HoldKeys({});
  Frames(1);
  Objcts* o = Engine().Create<Objcts>(ctx_, R());
  bool stop = false;
  Hook().Catching = true;
  o->HitBy(Hook(), stop);
  Frames(1);
  EXPECT_EQ(o->FramePos, 4);
  EXPECT_EQ(o->X, Hook().X - o->Width / 2 + 3);
  EXPECT_EQ(o->Y, Hook().Y - 10);
}

TEST_F(FishTest, FishLeaveAtTheEdgesAndGoWithTheirLevel) {
  StartPlaying();
  struct Case {
    int x;
    bool gone;
  };
  const int w = test::kFishW[1];
  const Case cases[] = {{805, false},    {819, false},     {820, true},
                        {-w - 5, false}, {-w - 19, false}, {-w - 20, true}};
  for (const Case& c : cases) {
    Fish* f = MakeFish(1, c.x, 300);
    f->Speed = 127;
    R().FishCount = 1;
    f->Step(1);
    EXPECT_EQ(f->Dying(), c.gone) << c.x;
    EXPECT_EQ(R().FishCount, c.gone ? 0 : 1) << c.x;
    f->MarkDead();
  }
  Frames(1);
  // The count never goes below zero.
  Fish* f = MakeFish(1, 900, 300);
  R().FishCount = 0;
  f->Step(1);
  EXPECT_EQ(R().FishCount, 0);
  Frames(1);

  // A new level takes every fish and object of the old one, hooked or not.
  MakeFish(1, 300, 300);
  Fish* hooked = MakeFish(2, 400, 300);
  hooked->Hooked = true;
  Engine().Create<Objcts>(*G().Play1, R());
  (void)R().StartLevel(LevelStart::AfterBonus);  // only the new level number matters here
  Frames(1);
  EXPECT_EQ(CountOf<Fish>(), 0);
  EXPECT_EQ(CountOf<Objcts>(), 0);
  EXPECT_EQ(R().AnglerScore().Shown(), 0) << "nothing was landed";
}

TEST_F(FishTest, ASwimmingFishRestsOnItsFirstFrame) {
  StartPlaying();
  G().Hold1.StopClock();
  Fish* f = MakeFish(1, 300, 400);  // rest 2: frame 0 for three ticks
  f->Speed = 3;                     // a tick every 4 frames, 6 pixels a frame
  f->FramePos = 0;
  f->RestCount = 0;
  std::vector<int> seen;
  for (int m = 0; m < 8 * 4; m += 4) {
    f->X = 300;
    f->Step(m);
    seen.push_back(f->FramePos);
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 1, 2, 3, 0, 0, 0}));
  f->X = 300;
  f->Step(3);  // not a multiple of the period
  EXPECT_EQ(f->FramePos, 0);
  EXPECT_EQ(f->X, 306);
}

}  // namespace
}  // namespace klv
