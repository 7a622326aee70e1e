#pragma once
// A picture held in memory: the back buffer and every uploaded frame surface.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace klv {

// Pixels are 32-bit 0xAARRGGBB, rows top-down, no padding (pitch == width).
// The back buffer ignores alpha; frames of alpha pictures use it.
class Surface {
 public:
  Surface() = default;
  Surface(int width, int height, uint32_t fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  uint32_t* Pixels() { return pixels_.data(); }
  const uint32_t* Pixels() const { return pixels_.data(); }
  uint32_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void Set(int x, int y, uint32_t c) { pixels_[static_cast<size_t>(y) * width_ + x] = c; }

  void Resize(int width, int height, uint32_t fill = 0);
  // Exchanges the pictures of two surfaces (sizes and pixels), without copying.
  void SwapPixels(Surface& other) {
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    pixels_.swap(other.pixels_);
    ++version_;
    ++other.version_;
  }
  void Fill(uint32_t colour);
  // Fills the rectangle clipped to the surface.
  void FillRect(int x, int y, int w, int h, uint32_t colour);

  // Bumped by every change made through this class; a present can skip an
  // unchanged buffer by comparing it. Code writing through Pixels() calls Touch().
  uint64_t Version() const { return version_; }
  void Touch() { ++version_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
  uint64_t version_ = 0;
};

constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
// The Windows colour form 0x00BBGGRR used by stored pictures and settings.
constexpr uint32_t FromColorRef(uint32_t bgr) {
  return Rgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace klv
