#include "engine/surface.h"

#include <gtest/gtest.h>

namespace klv {

TEST(Surface, FillRectClipsToEveryEdge) {
  struct Case {
    int x, y, w, h;
    int expectedPainted;
  } cases[] = {
      {-2, -2, 4, 4, 4},  // top-left corner: 2x2 inside
      {3, 3, 4, 4, 4},    // bottom-right corner of a 5x5
      {0, 0, 0, 3, 0},    // empty
      {5, 0, 2, 2, 0},    // wholly right of the surface
      {-1, 1, 7, 1, 5},   // wider than the surface
  };
  for (const auto& c : cases) {
    Surface s(5, 5, 0);
    s.FillRect(c.x, c.y, c.w, c.h, 7);
    int painted = 0;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) painted += s.At(x, y) == 7;
    EXPECT_EQ(painted, c.expectedPainted) << c.x << "," << c.y << " " << c.w << "x" << c.h;
  }
}

}  // namespace klv
