#include "engine/surface.h"

#include <algorithm>

namespace klv {

Surface::Surface(int width, int height, uint32_t fill) {
  Resize(width, height, fill);
}

void Surface::Resize(int width, int height, uint32_t fill) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<size_t>(width_) * height_, fill);
  ++version_;
}

void Surface::Fill(uint32_t colour) {
  std::fill(pixels_.begin(), pixels_.end(), colour);
  ++version_;
}

void Surface::FillRect(int x, int y, int w, int h, uint32_t colour) {
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
  if (x0 >= x1 || y0 >= y1) return;
  for (int row = y0; row < y1; ++row) std::fill(Row(row) + x0, Row(row) + x1, colour);
  ++version_;
}

}  // namespace klv
