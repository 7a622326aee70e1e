#include "engine/image_sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"
#include "engine/surface.h"

namespace klv {
namespace {

TEST(ImageSpriteAnimationTest, StepsFollowTheLoopAndOneShotRules) {
  struct Case {
    int frameCount;
    bool loop;
    int pos;
    double speed;
    int moveCount;
    int expectPos;
    double expectSpeed;
  };
  const Case cases[] = {
      {4, true, 3, 2.0, 1, 1, 2.0},    // wraps forward
      {4, true, 3, -5.0, 1, 2, -5.0},  // wraps backward from the end
      {4, true, 0, 1.0, 255, 3, 1.0},  // the last move count before the counter wraps
      {4, true, 2, 1.0, 0, 2, 1.0},    // and the first after it
      {4, false, 2, 2.0, 1, 3, 0.0},   // one-shot stops on its last frame
      {4, false, 1, -3.0, 1, 0, 0.0},  // and on its first
      {4, false, 1, 1.0, 1, 2, 1.0},
      {0, false, 0, 1.0, 1, 0, 0.0},  // no frames: frame 0
      {0, true, 5, 1.0, 1, 0, 1.0},
      {8, true, 0, 0.5, 1, 0, 0.5},      // round(0.5) = 0: never advances
      {8, true, 0, 0.5, 3, 2, 0.5},      // round(1.5) = 2
      {8, true, 0, 0.5, 5, 2, 0.5},      // round(2.5) = 2, halves to even
      {8, true, 0, 0.5, 7, 4, 0.5},      // round(3.5) = 4
      {8, true, 0, -0.5, 5, 6, -0.5},    // round(-2.5) = -2
      {8, true, 0, 0.01, 255, 3, 0.01},  // round(2.55) = 3
      {8, false, 0, 1e300, 255, 7, 0.0},
      {8, true, 1, std::numeric_limits<double>::quiet_NaN(), 1, 1, 0.0},
  };
  SpriteEngine engine;
  for (const Case& c : cases) {
    auto* s = engine.Create<ImageSprite>();
    s->FrameCount = c.frameCount;
    s->LoopFrames = c.loop;
    s->FramePos = c.pos;
    s->FrameSpeed = c.speed;
    s->Step(c.moveCount);
    const int n = static_cast<int>(&c - cases);
    EXPECT_EQ(s->FramePos, c.expectPos) << "case " << n;
    if (!std::isnan(c.speed)) {
      EXPECT_EQ(s->FrameSpeed, c.expectSpeed) << "case " << n;
    }
  }
}

TEST(ImageSpriteAnimationTest, TheMovePassAnimatesAndCurrentFrameAddsFirstFrame) {
  SpriteEngine engine;
  auto* s = engine.Create<ImageSprite>();
  s->FrameCount = 3;
  s->LoopFrames = true;
  s->FrameSpeed = 1.0;
  s->FirstFrame = 10;
  engine.Move(2);
  EXPECT_EQ(s->FramePos, 2);
  EXPECT_EQ(s->CurrentFrame(), 12);
  engine.Move(2);
  EXPECT_EQ(s->CurrentFrame(), 11);
}

TEST(ImageSpriteBoundsTest, WrapMovesTheBoxAroundTheTargetEdges) {
  struct Case {
    int x, y;
    Rect expected;
  };
  // Box 20 x 10 on an 800 x 600 target: x wraps with period 820, y with 610.
  const Case cases[] = {
      {0, 0, Rect::Bounds(0, 0, 20, 10)},        {800, 600, Rect::Bounds(800, 600, 20, 10)},
      {801, 601, Rect::Bounds(-19, -9, 20, 10)}, {820, 610, Rect::Bounds(0, 0, 20, 10)},
      {-1, -1, Rect::Bounds(-1, -1, 20, 10)},    {-20, -10, Rect::Bounds(800, 600, 20, 10)},
      {-821, 1220, Rect::Bounds(-1, 0, 20, 10)},
  };
  Surface target(800, 600);
  SpriteEngine engine;
  engine.SetTarget(&target);
  auto* s = engine.Create<ImageSprite>();
  s->Width = 20;
  s->Height = 10;
  s->Wrap = true;
  for (const Case& c : cases) {
    s->X = c.x;
    s->Y = c.y;
    EXPECT_EQ(s->Bounds(), c.expected) << c.x << "," << c.y;
  }
  s->Wrap = false;
  s->X = 801;
  EXPECT_EQ(s->Bounds().Left, 801);
}

// Four 6 x 4 opaque frames side by side, frame k filled with its own colour;
// in frame 3 only the left half is drawn.
class ImageSpriteDrawTest : public ::testing::Test {
 protected:
  ImageSpriteDrawTest() : target_(800, 600) {
    Surface strip(24, 4, 0);
    for (int k = 0; k < 4; ++k) strip.FillRect(6 * k, 0, k == 3 ? 3 : 6, 4, Colour(k));
    item_.PatternWidth = 6;
    item_.PatternHeight = 4;
    item_.SetPicture(std::move(strip), PictureKind::Png);
    item_.Upload();
    engine_.SetTarget(&target_);
  }
  static uint32_t Colour(int k) { return 0xFF000000u | (0x10u * (k + 1)); }
  ImageSprite* Make(int x, int y, int w, int h) {
    auto* s = engine_.Create<ImageSprite>();
    s->Image = &item_;
    s->X = x;
    s->Y = y;
    s->Width = w;
    s->Height = h;
    s->FrameCount = 4;
    return s;
  }
  // The box of pixels that differ from the cleared target.
  Rect Painted() const {
    Rect r{800, 600, 0, 0};
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 800; ++x) {
        if (target_.At(x, y) != 0) {
          r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
               std::max(r.Bottom, y + 1)};
        }
      }
    }
    return r;
  }

  PictureCollectionItem item_;
  Surface target_;
  SpriteEngine engine_;
};

TEST_F(ImageSpriteDrawTest, TheFrameIsDrawnCentredInTheBox) {
  ASSERT_EQ(item_.FrameTotal(), 4);
  struct Case {
    int w, h;
    int left, top;
  };
  // (box - frame) / 2, truncated toward zero.
  const Case cases[] = {{10, 10, 102, 53}, {9, 5, 101, 50}, {6, 4, 100, 50}, {3, 1, 99, 49}};
  ImageSprite* s = Make(100, 50, 0, 0);
  s->FramePos = 1;
  for (const Case& c : cases) {
    target_.Fill(0);
    s->Width = c.w;
    s->Height = c.h;
    engine_.Draw();
    EXPECT_EQ(Painted(), Rect::Bounds(c.left, c.top, 6, 4)) << c.w << "x" << c.h;
    EXPECT_EQ(target_.At(c.left, c.top) & 0xFFFFFF, Colour(1) & 0xFFFFFF);
    EXPECT_EQ(s->DrawRect(), Rect::Bounds(c.left, c.top, c.w, c.h));
  }
}

TEST_F(ImageSpriteDrawTest, FramesOutsideTheImageDrawNothing) {
  ImageSprite* s = Make(10, 10, 6, 4);
  s->FirstFrame = 2;
  s->FramePos = 0;
  engine_.Draw();
  EXPECT_EQ(target_.At(10, 10) & 0xFFFFFF, Colour(2) & 0xFFFFFF);
  for (int pos : {2, -3, 100}) {
    target_.Fill(0);
    s->FramePos = pos;
    engine_.Draw();
    EXPECT_EQ(Painted(), (Rect{800, 600, 0, 0})) << pos;
  }
}

TEST_F(ImageSpriteDrawTest, PixelExactHitsNeedDrawnPixelsOnBothSides) {
  ImageSprite* a = Make(0, 0, 6, 4);
  a->FramePos = 3;  // only x 0..2 drawn
  a->PixelExact = true;
  ImageSprite* b = Make(3, 0, 6, 4);  // boxes overlap on x 3..5
  EXPECT_EQ(a->CheckHits(), 0);
  a->PixelExact = false;
  EXPECT_EQ(a->CheckHits(), 1);
  b->PixelExact = true;  // asked as the other side, the same answer
  EXPECT_EQ(a->CheckHits(), 0);
  b->X = 2;
  EXPECT_EQ(a->CheckHits(), 1);
  b->Image = nullptr;  // nothing drawn, nothing touched
  EXPECT_EQ(a->CheckHits(), 0);

  // Against a sprite without frames the boxes decide.
  b->MarkDead();
  engine_.FlushDead();
  auto* plain = engine_.Create<Sprite>();
  plain->X = 4;
  plain->Width = 2;
  plain->Height = 2;
  a->PixelExact = true;
  EXPECT_EQ(a->CheckHits(), 1);
}

}  // namespace
}  // namespace klv
