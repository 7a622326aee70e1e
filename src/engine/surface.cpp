#include "engine/surface.h"

#include <algorithm>

#include "engine/draw_list.h"

namespace klv {

Surface::Surface(int width, int height, uint32_t fill) {
  Resize(width, height, fill);
}

void Surface::Resize(int width, int height, uint32_t fill) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<size_t>(width_) * height_, fill);
  ClearClip();
  ++version_;
}

void Surface::SetClip(const Rect& r) {
  clip_ = Rect{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, width_),
               std::min(r.Bottom, height_)};
  if (clip_.Left >= clip_.Right || clip_.Top >= clip_.Bottom) clip_ = Rect{};
}

void Surface::Fill(uint32_t colour) {
  if (recorder_) {
    recorder_->AddFill(Rect::Bounds(0, 0, width_, height_), colour);
    return;
  }
  if (clip_ == Rect::Bounds(0, 0, width_, height_)) {
    std::fill(pixels_.begin(), pixels_.end(), colour);
    ++version_;
    return;
  }
  FillRect(clip_.Left, clip_.Top, clip_.Width(), clip_.Height(), colour);
}

void Surface::FillRect(int x, int y, int w, int h, uint32_t colour) {
  const int64_t right = int64_t(x) + w, bottom = int64_t(y) + h;
  if (recorder_) {
    // Only the part on the surface is kept: it is all a fill can change.
    const Rect r{std::max(x, 0), std::max(y, 0), int(std::min<int64_t>(right, width_)),
                 int(std::min<int64_t>(bottom, height_))};
    if (r.Left < r.Right && r.Top < r.Bottom) recorder_->AddFill(r, colour);
    return;
  }
  const int x0 = std::max(x, clip_.Left), y0 = std::max(y, clip_.Top);
  const int x1 = int(std::min<int64_t>(right, clip_.Right));
  const int y1 = int(std::min<int64_t>(bottom, clip_.Bottom));
  if (x0 >= x1 || y0 >= y1) return;
  for (int row = y0; row < y1; ++row) std::fill(Row(row) + x0, Row(row) + x1, colour);
  ++version_;
}

}  // namespace klv
