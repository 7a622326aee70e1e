#pragma once
// Sends the screen only what changed: keeps a copy of the frame on screen,
// finds the tiles of the next frame that differ from it, and scales just those
// tiles (nearest neighbour) into the window's picture. In play most of the
// picture stands still between two frames (sky, pier, sand), and in full
// screen the scaling and the copy to the display are what a frame costs most.

#include <cstdint>
#include <vector>

#include "engine/rect.h"

namespace klv {

class ScreenPatcher {
 public:
  // Tiles are this many frame pixels wide and high (the last ones may be cut).
  static constexpr int kTileW = 16;
  static constexpr int kTileH = 16;

  // Takes the next frame (width x height, pitch == width) and returns the
  // rectangles of it that differ from the last frame taken, in frame pixels:
  // whole tiles, with neighbours along a row of tiles merged. Everything counts
  // as changed on the first frame, after a size change and when `everything`
  // is set. With `only`, the frame differs from the last one nowhere outside
  // those rectangles, and only the tiles they touch are compared. The
  // returned list lives until the next call.
  const std::vector<Rect>& Take(const uint32_t* frame, int width, int height, bool everything,
                                const std::vector<Rect>* only = nullptr);
  // The same against a picture kept elsewhere (`pitch` pixels a row) that
  // holds the last frame at full size, such as a window's own pixels: the
  // changed rectangles are copied into it, and no copy of the frame is kept
  // here.
  const std::vector<Rect>& TakeInto(const uint32_t* frame, int width, int height, bool everything,
                                    uint32_t* shown, int pitch,
                                    const std::vector<Rect>* only = nullptr);

  // The frame last taken by Take.
  const uint32_t* Shown() const { return shown_.data(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Writes the part of the destination that shows the frame rectangle `r` of
  // the last frame taken, and returns that part in destination pixels (empty
  // when it covers no destination pixel). `to` is where the whole frame lands
  // in the destination, scaled to fit; `dst` is 32-bit pixels in the frame's
  // own channel order, `dstPitch` pixels a row; `to` must lie inside the
  // destination.
  Rect Scale(const Rect& r, const Rect& to, uint32_t* dst, int dstPitch);

 private:
  // Compares and copies the changed tiles into `shown` (pitch in pixels).
  void Patch(const uint32_t* frame, int width, int height, uint32_t* shown, int pitch,
             const std::vector<Rect>* only);

  std::vector<uint32_t> shown_;
  int width_ = 0;
  int height_ = 0;
  std::vector<Rect> rects_;
  std::vector<uint8_t> dirty_;  // one flag a tile, for the row of tiles being looked at
  std::vector<uint8_t> asked_;  // the same, for the tiles `only` touches
  Rect columnsFor_;             // the placement `columns_` was made for
  std::vector<int> columns_;    // destination column -> frame column, across the placement
};

}  // namespace klv
