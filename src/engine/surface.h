#pragma once
// A picture held in memory: the back buffer and every uploaded frame surface.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/pixel_memory.h"
#include "engine/rect.h"

namespace klv {

class DrawList;

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
    clip_ = Rect::Bounds(0, 0, width_, height_);
    other.clip_ = Rect::Bounds(0, 0, other.width_, other.height_);
    ++version_;
    ++other.version_;
  }
  // Fills the clip rectangle (the whole surface unless one is set).
  void Fill(uint32_t colour);
  // Fills the rectangle clipped to the clip rectangle.
  void FillRect(int x, int y, int w, int h, uint32_t colour);

  // The part of the surface that drawing may change: the whole surface
  // unless SetClip narrowed it. Every drawing operation (fills, frames,
  // texts) keeps to it, and the pixels it draws inside are the same as
  // without a clip.
  const Rect& Clip() const { return clip_; }
  void SetClip(const Rect& r);
  void ClearClip() { clip_ = Rect::Bounds(0, 0, width_, height_); }

  // While a draw list is set, drawing onto this surface is written down in
  // it instead of being done (see draw_list.h).
  DrawList* Recorder() const { return recorder_; }
  void SetRecorder(DrawList* list) { recorder_ = list; }

  // Bumped by every change made through this class; a present can skip an
  // unchanged buffer by comparing it. Code writing through Pixels() calls Touch().
  uint64_t Version() const { return version_; }
  void Touch() { ++version_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t, PictureAllocator<uint32_t>> pixels_;
  uint64_t version_ = 0;
  Rect clip_;
  DrawList* recorder_ = nullptr;
};

constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}
// The Windows colour form 0x00BBGGRR used by stored pictures and settings.
constexpr uint32_t FromColorRef(uint32_t bgr) {
  return Rgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace klv
