#include "engine/draw_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/canvas.h"
#include "engine/picture_collection.h"
#include "engine/surface.h"
#include "platform/headless_platform.h"

namespace klv {
namespace {

constexpr int kW = 160, kH = 120;

// Two pictures of four 16 x 12 frames: one colour-keyed with holes, one
// with per-pixel alpha, so drawing order shows in the pixels.
struct Pictures {
  Pictures() {
    Surface keyed(64, 12), alpha(64, 12);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 64; ++x) {
        const bool hole = (x * 7 + y * 3) % 5 == 0;
        keyed.Set(x, y, hole ? 0xFF00FF00u : Rgb(uint8_t(x * 4), uint8_t(y * 20), 90));
        alpha.Set(x, y, (uint32_t((x * 13 + y * 29) % 256) << 24) | (0x3060A0u + uint32_t(x)));
      }
    for (auto [item, pic, kind] :
         {std::tuple{&key, &keyed, PictureKind::Dib}, std::tuple{&mix, &alpha, PictureKind::Png}}) {
      item->SetPicture(*pic, kind);
      item->PatternWidth = 16;
      item->PatternHeight = 12;
      item->TransparentColor = 0x0000FF00;  // 0x00BBGGRR: green
      item->Upload();
    }
  }
  PictureCollectionItem key, mix;
};

// A made-up scene: a backdrop fill, then "sprites" drawn in list order in
// every way a sprite can be drawn, then texts.
struct Thing {
  int how = 0;  // 0 frame, 1 stretch, 2 blend, 3 rotate, 4 fill
  bool alpha = false;
  int frame = 0, x = 0, y = 0, w = 16, h = 12, angle = 0, blend = 255;
  uint32_t colour = 0;
};

Thing RandomThing(std::mt19937& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Thing t;
  t.how = pick(0, 4);
  t.alpha = pick(0, 1);
  t.frame = pick(0, 3);
  t.x = pick(-20, kW);
  t.y = pick(-20, kH);
  t.w = pick(1, 40);
  t.h = pick(1, 30);
  t.angle = pick(0, 255);
  t.blend = pick(1, 255);
  t.colour = Rgb(uint8_t(pick(0, 255)), uint8_t(pick(0, 255)), uint8_t(pick(0, 255)));
  return t;
}

void DrawScene(Surface& s, Canvas& canvas, const Pictures& p, const std::vector<Thing>& things,
               const std::vector<std::string>& texts) {
  s.Fill(Rgb(10, 40, 80));
  for (const Thing& t : things) {
    const PictureCollectionItem& item = t.alpha ? p.mix : p.key;
    switch (t.how) {
      case 0:
        item.DrawFrame(&s, t.x, t.y, t.frame);
        break;
      case 1:
        item.StretchFrame(&s, Rect::Bounds(t.x, t.y, t.w, t.h), t.frame);
        break;
      case 2:
        item.BlendFrame(&s, Rect::Bounds(t.x, t.y, t.w, t.h), t.frame, t.blend);
        break;
      case 3:
        item.RotateFrame(&s, t.x, t.y, t.w, t.h, t.frame, 0.5, 0.25, t.angle);
        break;
      default:
        s.FillRect(t.x, t.y, t.w, t.h, t.colour);
    }
  }
  canvas.SetFont(Face::Arial, 12, true, Rgb(255, 255, 0));
  for (size_t i = 0; i < texts.size(); ++i) canvas.TextOut(5 + int(i) * 30, 100, texts[i]);
}

int64_t Area(const std::vector<Rect>& regions) {
  int64_t a = 0;
  for (const Rect& r : regions) a += int64_t(r.Width()) * r.Height();
  return a;
}

// Frame after frame of a changing scene, drawn only where it changed over
// the last frame's pixels, matches the scene drawn whole.
TEST(DrawList, DrawingOnlyTheChangesGivesTheWholeFrame) {
  HeadlessPlatform fonts;
  Pictures pictures;
  Surface changes(kW, kH, 0xFF000000u), whole(kW, kH);
  Canvas onChanges, onWhole;
  onChanges.Attach(&changes, &fonts);
  onWhole.Attach(&whole, &fonts);
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<Thing> things;
  for (int i = 0; i < 12; ++i) things.push_back(RandomThing(rng));
  std::vector<std::string> texts = {"12", "Klev"};
  DrawList list, last;
  std::vector<Rect> regions;
  const Rect screen = Rect::Bounds(0, 0, kW, kH);
  int partial = 0, still = 0;
  for (int frame = 0; frame < 600; ++frame) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    // A few things change a frame: moved, turned, another frame or
    // alpha, born or gone anywhere in the order, a text changed.
    for (int n = pick(0, 3); n > 0; --n) {
      const int i = pick(0, int(things.size()) - 1);
      switch (pick(0, 6)) {
        case 0:
          things[i].x += pick(-3, 3), things[i].y += pick(-3, 3);
          break;
        case 1:
          things[i].frame = pick(0, 3);
          break;
        case 2:
          things[i].angle = pick(0, 255), things[i].blend = pick(1, 255);
          break;
        case 3:
          things.insert(things.begin() + i, RandomThing(rng));
          break;
        case 4:
          if (things.size() > 4) things.erase(things.begin() + i);
          break;
        case 5:
          texts[size_t(pick(0, 1))] = std::to_string(pick(0, 999));
          break;
        default:
          std::swap(things[i], things[size_t(pick(0, int(things.size()) - 1))]);
      }
    }
    list.Clear();
    changes.SetRecorder(&list);
    DrawScene(changes, onChanges, pictures, things, texts);
    changes.SetRecorder(nullptr);
    if (frame == 0)
      regions.assign(1, screen);
    else
      list.Changes(last, screen, regions);
    for (size_t a = 0; a < regions.size(); ++a)
      for (size_t b = a + 1; b < regions.size(); ++b)
        ASSERT_FALSE(regions[a].Overlaps(regions[b])) << "regions are drawn once each";
    list.Paint(changes, onChanges, regions);
    std::swap(list, last);
    partial += Area(regions) > 0 && Area(regions) < int64_t(kW) * kH;
    still += regions.empty();

    whole.Fill(0xFFFF00FFu);  // whatever the whole drawing misses shows
    DrawScene(whole, onWhole, pictures, things, texts);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(changes.At(x, y), whole.At(x, y)) << "at " << x << "," << y;
    EXPECT_EQ(changes.Clip(), screen);
  }
  // The run went through frames drawn in part and frames left as they were.
  EXPECT_GT(partial, 100);
  EXPECT_GT(still, 20);
}

TEST(DrawList, MarksWhatChangedAndNothingElse) {
  Pictures p;
  auto frames = [&](std::vector<std::pair<int, int>> at) {
    DrawList l;
    l.AddFill(Rect::Bounds(0, 0, kW, kH), 0xFF000000u);
    for (auto [x, y] : at) l.AddFrame(p.key, 0, x, y);
    return l;
  };
  const Rect screen = Rect::Bounds(0, 0, kW, kH);
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> before, after;
    std::vector<Rect> expected;
  } cases[] = {
      {"nothing moved", {{10, 10}, {50, 50}}, {{10, 10}, {50, 50}}, {}},
      {"one moved: where it was and where it is",
       {{10, 10}, {50, 50}},
       {{10, 10}, {90, 50}},
       {Rect::Bounds(50, 50, 16, 12), Rect::Bounds(90, 50, 16, 12)}},
      {"moved a little: one region", {{10, 10}}, {{14, 12}}, {Rect{10, 10, 30, 24}}},
      {"born under the others",
       {{10, 10}, {50, 50}},
       {{100, 5}, {10, 10}, {50, 50}},
       {Rect::Bounds(100, 5, 16, 12)}},
      {"gone from under the others",
       {{100, 5}, {10, 10}, {50, 50}},
       {{10, 10}, {50, 50}},
       {Rect::Bounds(100, 5, 16, 12)}},
      {"off the screen", {{-40, 10}}, {{-30, 10}}, {}},
      {"half off the screen", {{150, 10}}, {{152, 10}}, {Rect{150, 10, kW, 22}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Rect> regions;
    frames(c.after).Changes(frames(c.before), screen, regions);
    std::sort(regions.begin(), regions.end(),
              [](const Rect& a, const Rect& b) { return a.Left < b.Left; });
    EXPECT_EQ(regions, c.expected);
  }
  // Changes all over: one region, the whole screen.
  std::vector<std::pair<int, int>> before, after;
  for (int i = 0; i < 40; ++i) {
    before.push_back({(i * 37) % kW, (i * 23) % kH});
    after.push_back({(i * 37 + 5) % kW, (i * 23 + 3) % kH});
  }
  std::vector<Rect> regions;
  frames(after).Changes(frames(before), screen, regions);
  EXPECT_EQ(regions, std::vector<Rect>{screen});
}

}  // namespace
}  // namespace klv
