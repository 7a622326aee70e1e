#include "platform/screen_patcher.h"

#include <algorithm>
#include <cstring>

namespace klv {

const std::vector<Rect>& ScreenPatcher::Take(const uint32_t* frame, int width, int height,
                                             bool everything, const std::vector<Rect>* only) {
  rects_.clear();
  if (width <= 0 || height <= 0) return rects_;
  const size_t pixels = size_t(width) * height;
  if (width != width_ || height != height_ || shown_.size() != pixels) {
    width_ = width;
    height_ = height;
    shown_.assign(frame, frame + pixels);
    everything = true;
  } else if (everything) {
    std::memcpy(shown_.data(), frame, pixels * 4);
  }
  if (everything) {
    rects_.push_back({0, 0, width, height});
    return rects_;
  }
  Patch(frame, width, height, shown_.data(), width, only);
  return rects_;
}

const std::vector<Rect>& ScreenPatcher::TakeInto(const uint32_t* frame, int width, int height,
                                                 bool everything, uint32_t* shown, int pitch,
                                                 const std::vector<Rect>* only) {
  rects_.clear();
  // Nothing of the frame is kept here while another picture holds it.
  std::vector<uint32_t>().swap(shown_);
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) return rects_;
  if (everything) {
    for (int y = 0; y < height; ++y)
      std::memcpy(shown + size_t(y) * pitch, frame + size_t(y) * width, size_t(width) * 4);
    rects_.push_back({0, 0, width, height});
    return rects_;
  }
  Patch(frame, width, height, shown, pitch, only);
  return rects_;
}

void ScreenPatcher::Patch(const uint32_t* frame, int width, int height, uint32_t* shown, int pitch,
                          const std::vector<Rect>* only) {
  const int tilesAcross = (width + kTileW - 1) / kTileW;
  dirty_.resize(tilesAcross);
  asked_.resize(tilesAcross);
  for (int top = 0; top < height; top += kTileH) {
    const int bottom = std::min(height, top + kTileH);
    if (only) {
      // Only the tiles of this row that a changed rectangle touches.
      std::fill(asked_.begin(), asked_.end(), 0);
      bool asked = false;
      for (const Rect& r : *only) {
        if (r.Width() <= 0 || r.Height() <= 0 || r.Top >= bottom || r.Bottom <= top ||
            r.Left >= width || r.Right <= 0)
          continue;
        const int first = std::max(r.Left, 0) / kTileW;
        const int last = std::min(r.Right - 1, width - 1) / kTileW;
        for (int t = first; t <= last; ++t) asked_[t] = asked = true;
      }
      if (!asked) continue;
    }
    std::fill(dirty_.begin(), dirty_.end(), 0);
    bool any = false;
    for (int y = top; y < bottom; ++y) {
      const uint32_t* next = frame + size_t(y) * width;
      const uint32_t* old = shown + size_t(y) * pitch;
      if (!only && std::memcmp(next, old, size_t(width) * 4) == 0) continue;
      for (int t = 0; t < tilesAcross; ++t) {
        if (dirty_[t] || (only && !asked_[t])) continue;
        const int left = t * kTileW;
        const int w = std::min(kTileW, width - left);
        if (std::memcmp(next + left, old + left, size_t(w) * 4) != 0) dirty_[t] = any = true;
      }
    }
    if (!any) continue;
    for (int t = 0; t < tilesAcross;) {
      if (!dirty_[t]) {
        ++t;
        continue;
      }
      int end = t;
      while (end < tilesAcross && dirty_[end]) ++end;
      const int left = t * kTileW;
      const int right = std::min(width, end * kTileW);
      for (int y = top; y < bottom; ++y)
        std::memcpy(shown + size_t(y) * pitch + left, frame + size_t(y) * width + left,
                    size_t(right - left) * 4);
      rects_.push_back({left, top, right, bottom});
      t = end;
    }
  }
}

Rect ScreenPatcher::Scale(const Rect& r, const Rect& to, uint32_t* dst, int dstPitch) {
  const int toW = to.Width(), toH = to.Height();
  if (toW <= 0 || toH <= 0 || width_ <= 0 || height_ <= 0) return {};
  // Destination pixel d shows frame pixel d * frame / placement (rounded
  // down), so frame pixels [a, b) cover destination pixels
  // [ceil(a * placement / frame), ceil(b * placement / frame)).
  auto first = [](int a, int placed, int frame) {
    return int((int64_t(a) * placed + frame - 1) / frame);
  };
  const int x0 = first(r.Left, toW, width_), x1 = first(r.Right, toW, width_);
  const int y0 = first(r.Top, toH, height_), y1 = first(r.Bottom, toH, height_);
  if (x0 >= x1 || y0 >= y1) return {};
  if (toW == width_ && toH == height_) {
    for (int y = y0; y < y1; ++y)
      std::memcpy(dst + size_t(to.Top + y) * dstPitch + to.Left + x0,
                  shown_.data() + size_t(y) * width_ + x0, size_t(x1 - x0) * 4);
    return {to.Left + x0, to.Top + y0, to.Left + x1, to.Top + y1};
  }
  if (!(columnsFor_ == to) || columns_.size() != size_t(toW)) {
    columns_.resize(toW);
    for (int d = 0; d < toW; ++d) columns_[d] = int(int64_t(d) * width_ / toW);
    columnsFor_ = to;
  }
  int lastRow = -1;
  for (int y = y0; y < y1; ++y) {
    uint32_t* out = dst + size_t(to.Top + y) * dstPitch + to.Left;
    const int row = int(int64_t(y) * height_ / toH);
    if (row == lastRow) {
      // The same frame row again: copy the destination row just written.
      std::memcpy(out + x0, out - dstPitch + x0, size_t(x1 - x0) * 4);
      continue;
    }
    lastRow = row;
    const uint32_t* in = shown_.data() + size_t(row) * width_;
    for (int x = x0; x < x1; ++x) out[x] = in[columns_[x]];
  }
  return {to.Left + x0, to.Top + y0, to.Left + x1, to.Top + y1};
}

}  // namespace klv
