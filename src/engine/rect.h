#pragma once
// Integer rectangles of the 800 x 600 drawing area, right and bottom exclusive.

namespace klv {

struct Rect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  static constexpr Rect Bounds(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  // Rectangles that only touch do not overlap.
  constexpr bool Overlaps(const Rect& b) const {
    return Left < b.Right && Right > b.Left && Top < b.Bottom && Bottom > b.Top;
  }
  constexpr bool operator==(const Rect&) const = default;
};

}  // namespace klv
