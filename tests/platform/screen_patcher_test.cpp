#include "platform/screen_patcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace klv {
namespace {

// Rectangles by their top left, width and height.
constexpr Rect B(int x, int y, int w, int h) {
  return Rect::Bounds(x, y, w, h);
}

struct Changed {
  const char* what;
  std::vector<std::pair<int, int>> pixels;  // set to another colour in the next frame
  std::vector<Rect> want;
};

TEST(ScreenPatcher, FindsTheChangedTilesAndMergesNeighboursAlongARow) {
  // 100 x 50: tiles of 16 x 16, so the last column of tiles is 4 wide and the
  // last row 2 high.
  static_assert(ScreenPatcher::kTileW == 16 && ScreenPatcher::kTileH == 16);
  const Changed cases[] = {
      {"nothing", {}, {}},
      {"the first pixel", {{0, 0}}, {B(0, 0, 16, 16)}},
      {"two neighbours", {{15, 5}, {16, 15}}, {B(0, 0, 32, 16)}},
      {"two apart", {{0, 0}, {70, 0}}, {B(0, 0, 16, 16), B(64, 0, 16, 16)}},
      {"the cut corner", {{99, 49}}, {B(96, 48, 4, 2)}},
      {"one a row", {{40, 10}, {40, 30}}, {B(32, 0, 16, 16), B(32, 16, 16, 16)}},
  };

  for (const Changed& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint32_t> frame(100 * 50, 0xFF102030u);
    // A window 110 pixels wide that holds the frame in its own pixels.
    std::vector<uint32_t> window(110 * 50);
    ScreenPatcher patcher, intoWindow;
    ASSERT_EQ(patcher.Take(frame.data(), 100, 50, false),
              (std::vector<Rect>{B(0, 0, 100, 50)}));  // the first frame is all new
    intoWindow.TakeInto(frame.data(), 100, 50, true, window.data(), 110);
    for (auto [x, y] : c.pixels) frame[y * 100 + x] = 0xFFFFFFFFu;
    EXPECT_EQ(patcher.Take(frame.data(), 100, 50, false), c.want);
    EXPECT_EQ(intoWindow.TakeInto(frame.data(), 100, 50, false, window.data(), 110), c.want);
    EXPECT_TRUE(patcher.Take(frame.data(), 100, 50, false).empty());  // taken over
    EXPECT_EQ(patcher.Take(frame.data(), 100, 50, true), (std::vector<Rect>{B(0, 0, 100, 50)}));
    EXPECT_EQ(patcher.Take(frame.data(), 50, 100, false),  // another size
              (std::vector<Rect>{B(0, 0, 50, 100)}));
  }
}

// The destination after a run of patched frames is exactly the latest frame
// scaled whole, and nothing outside the placement is touched. A 200 x 150
// frame keeps the scales of the real 800 x 600 one.
TEST(ScreenPatcher, PatchedPictureEqualsTheWholeFrameScaled) {
  constexpr int kW = 200, kH = 150;
  struct Target {
    const char* what;
    int w, h;
    Rect to;            // where the frame lands
    bool into = false;  // the destination itself holds the last frame
  } targets[] = {
      {"window", kW, kH, B(0, 0, kW, kH)},
      {"window, compared with its own pixels", kW, kH, B(0, 0, kW, kH), true},
      {"1920 x 1080", 480, 270, B(60, 0, 360, 270)},
      {"1024 x 768", 256, 192, B(0, 0, 256, 192)},
      {"narrower than the frame", 125, 100, B(0, 3, 125, 94)},
  };
  constexpr uint32_t kOutside = 0x12345678u;
  for (const Target& t : targets) {
    SCOPED_TRACE(t.what);
    std::mt19937 rng(7);
    std::vector<uint32_t> frame(kW * kH);
    for (uint32_t& p : frame) p = 0xFF000000u | (rng() & 0xFFFFFF);
    std::vector<uint32_t> screen(size_t(t.w) * t.h, kOutside);
    ScreenPatcher patcher;
    for (int step = 0; step < 40; ++step) {
      // A few sprites' worth of change a frame, somewhere.
      for (int n = int(rng() % 6); n > 0; --n) {
        const int x0 = int(rng() % kW), y0 = int(rng() % kH);
        for (int y = y0; y < std::min(kH, y0 + 10); ++y)
          for (int x = x0; x < std::min(kW, x0 + 13); ++x) frame[y * kW + x] ^= 0x00FFFFFFu;
      }
      if (t.into) {
        patcher.TakeInto(frame.data(), kW, kH, step == 0, screen.data(), t.w);
      } else {
        for (const Rect& r : patcher.Take(frame.data(), kW, kH, false)) {
          const Rect d = patcher.Scale(r, t.to, screen.data(), t.w);
          EXPECT_GE(d.Left, t.to.Left);
          EXPECT_LE(d.Right, t.to.Right);
        }
      }
      int wrong = 0;
      for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
          const Rect& to = t.to;
          const bool inside = x >= to.Left && x < to.Right && y >= to.Top && y < to.Bottom;
          const uint32_t want = inside ? frame[size_t((y - to.Top) * kH / to.Height()) * kW +
                                               (x - to.Left) * kW / to.Width()]
                                       : kOutside;
          wrong += screen[size_t(y) * t.w + x] != want;
        }
      ASSERT_EQ(wrong, 0) << "after frame " << step;
    }
  }
}

}  // namespace
}  // namespace klv
