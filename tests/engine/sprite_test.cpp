#include "engine/sprite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/sprite_engine.h"
#include "engine/surface.h"

namespace klv {
namespace {

// A sprite that writes what happens to it into a shared log.
class Probe : public Sprite {
 public:
  Probe(const SpriteLink& link, std::vector<std::string>& log, std::string name)
      : Sprite(link), Name(std::move(name)), log_(log) {}
  ~Probe() override { log_.push_back("free " + Name); }

  void Step(int moveCount) override {
    log_.push_back("step " + Name + " " + std::to_string(moveCount));
    if (OnStep) OnStep(*this);
  }
  void Render() override { log_.push_back("render " + Name); }
  void HitBy(Sprite& other, bool& stop) override {
    log_.push_back("hit " + Name + ">" + static_cast<Probe&>(other).Name);
    if (OnHit) OnHit(*this, other, stop);
  }
  bool AcceptsHit(Sprite& other) override {
    log_.push_back("accept? " + Name + ">" + static_cast<Probe&>(other).Name);
    return Accepts;
  }

  std::string Name;
  bool Accepts = true;
  std::function<void(Probe&)> OnStep;
  std::function<void(Probe&, Sprite&, bool&)> OnHit;

 private:
  std::vector<std::string>& log_;
};

// A root with an 800 x 600 target and a log; boxes are 10 x 10 at (0, 0).
class SpriteTest : public ::testing::Test {
 protected:
  SpriteTest() : backBuffer_(800, 600) { engine_.SetTarget(&backBuffer_); }

  Probe* Make(const std::string& name, Sprite* parent = nullptr) {
    Probe* p = (parent ? *parent : engine_).Create<Probe>(log_, name);
    p->Width = 10;
    p->Height = 10;
    return p;
  }
  // The log lines that start with `prefix`, and the log cleared.
  std::vector<std::string> Take(const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& line : log_) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
    log_.clear();
    return out;
  }
  std::vector<std::string> DrawOrder() {
    log_.clear();
    engine_.Draw();
    return Take("render ");
  }

  std::vector<std::string> log_;  // declared first: the root's sprites log into it when freed
  Surface backBuffer_;
  SpriteEngine engine_;
};

using Lines = std::vector<std::string>;

TEST_F(SpriteTest, EqualDepthsDrawNewestFirstAndDepthChangesGoUnderEquals) {
  Probe* p = Make("P");
  Probe* q = Make("Q");
  Make("R");
  EXPECT_EQ(DrawOrder(), (Lines{"render R", "render Q", "render P"}));

  p->SetDepth(5);
  EXPECT_EQ(DrawOrder(), (Lines{"render R", "render Q", "render P"}));
  q->SetDepth(5);  // Q goes under P, its new equal
  EXPECT_EQ(DrawOrder(), (Lines{"render R", "render Q", "render P"}));
  EXPECT_EQ(q->Depth(), 5);

  q->SetDepth(5);  // the same value keeps the order
  EXPECT_EQ(DrawOrder(), (Lines{"render R", "render Q", "render P"}));
  p->SetDepth(-1);
  EXPECT_EQ(DrawOrder(), (Lines{"render P", "render R", "render Q"}));
}

TEST_F(SpriteTest, MixedDepthsAreDrawnLowestFirstWhateverTheCreationOrder) {
  const int depths[] = {3, -10, 3, 0, 7, -10, 0};
  for (int i = 0; i < 7; ++i) Make(std::to_string(i))->SetDepth(depths[i]);
  // Within a depth, the sprite placed last comes first.
  EXPECT_EQ(DrawOrder(), (Lines{"render 5", "render 1", "render 6", "render 3", "render 2",
                                "render 0", "render 4"}));
  // Creation order is kept apart from the drawing order.
  for (int i = 0; i < engine_.Count(); ++i) {
    EXPECT_EQ(static_cast<Probe&>(engine_.ItemAt(i)).Name, std::to_string(i));
  }
}

TEST_F(SpriteTest, RenderNeedsTrueOverlapWithTheTarget) {
  struct Case {
    int x, y;
    bool rendered;
  };
  const Case cases[] = {
      {-10, 0, false}, {-9, 0, true},  {799, 0, true},  {800, 0, false},   {0, -10, false},
      {0, -9, true},   {0, 599, true}, {0, 600, false}, {-10, -10, false}, {395, 295, true},
  };
  Probe* s = Make("S");
  for (const Case& c : cases) {
    s->X = c.x;
    s->Y = c.y;
    EXPECT_EQ(DrawOrder().size(), c.rendered ? 1u : 0u) << c.x << "," << c.y;
  }
}

TEST_F(SpriteTest, NothingRendersWithoutATarget) {
  Make("S");
  engine_.SetTarget(nullptr);
  EXPECT_EQ(engine_.TargetRect, Rect{});
  EXPECT_TRUE(DrawOrder().empty());
  engine_.SetTarget(&backBuffer_);
  EXPECT_EQ(engine_.TargetRect, Rect::Bounds(0, 0, 800, 600));
  EXPECT_EQ(engine_.Width, 800);
  EXPECT_EQ(engine_.Height, 600);
  EXPECT_EQ(DrawOrder().size(), 1u);
}

TEST_F(SpriteTest, ChildrenFollowTheirParentAndItsSwitches) {
  Probe* parent = Make("A");
  parent->X = 100;
  parent->Y = 50;
  Probe* child = Make("A1", parent);
  child->X = -3;
  Probe* grandchild = Make("A11", child);
  grandchild->Y = 7;

  EXPECT_EQ(engine_.Engine(), nullptr);
  EXPECT_EQ(engine_.Parent(), nullptr);
  EXPECT_EQ(parent->Engine(), &engine_);
  EXPECT_EQ(grandchild->Engine(), &engine_);
  EXPECT_EQ(grandchild->Parent(), child);
  EXPECT_DOUBLE_EQ(grandchild->WorldX(), 97.0);
  EXPECT_DOUBLE_EQ(grandchild->WorldY(), 57.0);
  EXPECT_EQ(grandchild->Bounds(), Rect::Bounds(97, 57, 10, 10));

  engine_.Move(1);
  EXPECT_EQ(Take("step"), (Lines{"step A 1", "step A1 1", "step A11 1"}));
  EXPECT_EQ(DrawOrder(), (Lines{"render A", "render A1", "render A11"}));

  parent->Movable = false;
  engine_.Move(2);
  EXPECT_TRUE(Take("step").empty());
  parent->Movable = true;

  // An invisible sprite hides its children; a parent off screen does not.
  parent->Visible = false;
  EXPECT_TRUE(DrawOrder().empty());
  parent->Visible = true;
  parent->X = -100;
  child->X = 197;
  EXPECT_EQ(DrawOrder(), (Lines{"render A1", "render A11"}));
}

TEST_F(SpriteTest, MovePassRunsInCreationOrderWithTheCountUnchanged) {
  Probe* a = Make("A");
  Make("B");
  a->SetDepth(9);
  // A sprite made during the pass waits for the next pass.
  a->OnStep = [this](Probe& self) {
    Make("New");
    self.OnStep = nullptr;
  };
  engine_.Move(255);
  EXPECT_EQ(Take("step"), (Lines{"step A 255", "step B 255"}));
  engine_.Move(0);
  EXPECT_EQ(Take("step"), (Lines{"step A 0", "step B 0", "step New 0"}));
}

TEST_F(SpriteTest, DeadSpritesLiveUntilTheFlushAndAreFreedOnce) {
  Probe* a = Make("A");
  Probe* b = Make("B");
  Make("C");
  a->OnStep = [](Probe& self) { self.MarkDead(); };
  engine_.Move(1);
  log_.clear();
  EXPECT_TRUE(a->Dying());
  b->MarkDead();
  b->MarkDead();
  EXPECT_EQ(engine_.DyingList, (std::vector<Sprite*>{a, b}));
  // Still moved and drawn until flushed.
  engine_.Move(2);
  EXPECT_EQ(Take("step").size(), 3u);
  EXPECT_EQ(DrawOrder().size(), 3u);

  engine_.FlushDead();
  EXPECT_EQ(Take("free"), (Lines{"free B", "free A"}));
  EXPECT_TRUE(engine_.DyingList.empty());
  EXPECT_EQ(engine_.Count(), 1);
  EXPECT_EQ(DrawOrder(), (Lines{"render C"}));

  engine_.FlushDead();  // an empty list does nothing
  EXPECT_TRUE(Take("free").empty());
}

TEST_F(SpriteTest, AFlushFromInsideAPassWaitsForTheNextFlush) {
  Probe* a = Make("A");
  Probe* b = Make("B");
  Make("C");
  a->OnStep = [this, b](Probe& self) {
    b->MarkDead();
    engine_.FlushDead();
    self.OnStep = nullptr;
  };
  a->OnHit = [this](Probe&, Sprite& other, bool&) {
    other.MarkDead();
    engine_.FlushDead();
  };
  engine_.Move(1);
  EXPECT_EQ(Take("step"), (Lines{"step A 1", "step B 1", "step C 1"}));
  EXPECT_EQ(a->CheckHits(), 2);
  EXPECT_TRUE(Take("free").empty());
  engine_.FlushDead();
  EXPECT_EQ(engine_.Count(), 1);
}

TEST_F(SpriteTest, DyingParentsAndChildrenAreFreedOnceInEitherMarkingOrder) {
  for (bool parentFirst : {true, false}) {
    Probe* parent = Make("P");
    Probe* child = Make("P1", parent);
    Make("P2", parent);
    if (parentFirst) {
      parent->MarkDead();
      child->MarkDead();
    } else {
      child->MarkDead();
      parent->MarkDead();
    }
    log_.clear();
    engine_.FlushDead();
    Lines freed = Take("free");
    std::sort(freed.begin(), freed.end());
    EXPECT_EQ(freed, (Lines{"free P", "free P1", "free P2"})) << parentFirst;
    EXPECT_TRUE(engine_.DyingList.empty());
    EXPECT_EQ(engine_.Count(), 0);
  }
}

TEST_F(SpriteTest, ChildrenAreDestroyedNewestFirstWithTheirParent) {
  Probe* parent = Make("P");
  for (const char* n : {"1", "2", "3"}) Make(n, parent);
  Make("2", parent)->MarkDead();  // dying but never flushed
  parent->MarkDead();
  log_.clear();
  engine_.FlushDead();
  // The sprite's own destructor runs first, then its children go, newest first.
  EXPECT_EQ(Take("free"), (Lines{"free P", "free 2", "free 3", "free 2", "free 1"}));
}

TEST(SpriteEngineTest, TheRootFreesEverySpriteLeftIncludingDyingOnes) {
  std::vector<std::string> log;
  {
    SpriteEngine engine;
    Sprite* a = engine.Create<Probe>(log, "A");
    a->Create<Probe>(log, "A1")->MarkDead();
    engine.Create<Probe>(log, "B")->MarkDead();
  }
  EXPECT_EQ(log, (Lines{"free B", "free A", "free A1"}));
}

// A sprite whose constructor fails after it was linked in.
class Faulty : public Sprite {
 public:
  explicit Faulty(const SpriteLink& link) : Sprite(link) {
    SetDepth(3);
    throw KlvError("Image 'Nope' not found");
  }
};

TEST_F(SpriteTest, AConstructorThatThrowsLeavesNothingBehind) {
  Probe* a = Make("A");
  EXPECT_THROW(engine_.Create<Faulty>(), KlvError);
  EXPECT_THROW(a->Create<Faulty>(), KlvError);
  EXPECT_EQ(engine_.Count(), 1);
  EXPECT_EQ(a->Count(), 0);
  EXPECT_EQ(DrawOrder(), (Lines{"render A"}));
}

TEST_F(SpriteTest, ItemAtReportsIndexesOutOfRange) {
  try {
    engine_.ItemAt(3);
    FAIL() << "no error";
  } catch (const KlvError& e) {
    EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (3)");
  }
  Probe* a = Make("A");
  EXPECT_EQ(&engine_.ItemAt(0), a);
  EXPECT_THROW(engine_.ItemAt(1), KlvError);
  EXPECT_THROW(engine_.ItemAt(-1), KlvError);
}

TEST_F(SpriteTest, HitTestCountsEachOverlapWithBothSidesAsked) {
  Probe* tester = Make("T");
  Make("Far")->X = 500;
  Probe* edge = Make("Edge");
  edge->X = 10;  // touches only
  Make("Over")->X = 9;
  Probe* refuses = Make("Refuses");
  refuses->Accepts = false;

  EXPECT_EQ(tester->CheckHits(), 1);
  EXPECT_EQ(engine_.HitTester, tester);
  EXPECT_EQ(engine_.HitRect, Rect::Bounds(0, 0, 10, 10));
  const Lines log = Take("");
  EXPECT_EQ(log, (Lines{"accept? T>Over", "accept? Over>T", "hit T>Over", "accept? T>Refuses",
                        "accept? Refuses>T"}));
}

TEST_F(SpriteTest, DyingOrUncollidableSpritesStartNoHitTest) {
  Probe* tester = Make("T");
  Make("Other");
  tester->MarkDead();
  EXPECT_EQ(tester->CheckHits(), 0);
  Probe* second = Make("T2");
  second->Collidable = false;
  engine_.HitCount = 42;
  EXPECT_EQ(second->CheckHits(), 0);
  EXPECT_EQ(engine_.HitCount, 42);  // untouched: no test ran
  EXPECT_TRUE(Take("accept?").empty());
  EXPECT_TRUE(Take("hit").empty());
}

TEST_F(SpriteTest, DyingSpritesCanStillBeHit) {
  Probe* tester = Make("T");
  Make("Dying")->MarkDead();
  EXPECT_EQ(tester->CheckHits(), 1);
}

TEST_F(SpriteTest, UncollidableSpritesHideTheirChildrenFromHitTests) {
  Probe* tester = Make("T");
  Probe* parent = Make("P");
  parent->X = 100;  // the parent itself is not hit
  Probe* child = Make("P1", parent);
  child->X = -100;  // but its child sits on the tester
  EXPECT_EQ(tester->CheckHits(), 1);
  parent->Collidable = false;
  EXPECT_EQ(tester->CheckHits(), 0);
}

TEST_F(SpriteTest, StopEndsOnlyTheDescentAndTheRectangleIsTakenOnce) {
  Probe* tester = Make("T");
  Probe* a = Make("A");
  Make("A1", a);
  Make("B");
  Make("C");
  tester->OnHit = [](Probe& self, Sprite& other, bool& stop) {
    auto& name = static_cast<Probe&>(other).Name;
    if (name == "A") stop = true;
    if (name == "B") self.X = 400;  // C is still tested against the old box
  };
  EXPECT_EQ(tester->CheckHits(), 3);
  EXPECT_EQ(Take("hit"), (Lines{"hit T>A", "hit T>B", "hit T>C"}));
  EXPECT_TRUE(engine_.HitsDone);
}

TEST_F(SpriteTest, ATesterThatLeavesTheGameStopsTheDescent) {
  Probe* tester = Make("T");
  Probe* a = Make("A");
  Make("A1", a);
  Make("B");
  for (int leave = 0; leave < 2; ++leave) {
    tester->OnHit = [leave](Probe& self, Sprite&, bool&) {
      if (leave == 0)
        self.Collidable = false;
      else
        self.MarkDead();
    };
    log_.clear();
    EXPECT_EQ(tester->CheckHits(), 2) << leave;
    EXPECT_EQ(Take("hit"), (Lines{"hit T>A", "hit T>B"})) << leave;
    tester->Collidable = true;
  }
}

}  // namespace
}  // namespace klv
