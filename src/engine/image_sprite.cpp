#include "engine/image_sprite.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/picture_collection.h"
#include "engine/sprite_engine.h"

namespace klv {

namespace {

int ClampToInt(int64_t v) {
  return static_cast<int>(
      std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Frames to advance: nearest whole number, halves to even (the default
// floating-point rounding mode), kept far inside 64 bits.
int64_t FrameAdvance(double speed, int moveCount) {
  const double product = speed * moveCount;
  if (std::isnan(product)) return 0;
  constexpr double kLimit = 1e15;
  return static_cast<int64_t>(std::nearbyint(std::clamp(product, -kLimit, kLimit)));
}

// Wraps one coordinate of a box of the given size around an edge at `limit`.
int64_t WrapCoordinate(int64_t v, int64_t limit, int64_t size) {
  const int64_t period = limit + size;
  if (period <= 0) return v;
  v %= period;
  if (v < 0) v += period;
  if (v > limit) v -= period;
  return v;
}

}  // namespace

ImageSprite::ImageSprite(const SpriteLink& link) : Sprite(link) {}

int ImageSprite::CurrentFrame() const {
  return ClampToInt(int64_t{FramePos} + FirstFrame);
}

void ImageSprite::Step(int moveCount) {
  int64_t pos = int64_t{FramePos} + FrameAdvance(FrameSpeed, moveCount);
  if (LoopFrames) {
    if (FrameCount > 0) {
      pos %= FrameCount;
      if (pos < 0) pos += FrameCount;
    } else {
      pos = 0;
    }
  } else {
    if (pos >= FrameCount) {
      pos = int64_t{FrameCount} - 1;
      FrameSpeed = 0.0;
    }
    if (pos < 0) {
      pos = 0;
      FrameSpeed = 0.0;
    }
  }
  FramePos = ClampToInt(pos);
}

Rect ImageSprite::Bounds() const {
  int64_t x = TruncToPixel(WorldX());
  int64_t y = TruncToPixel(WorldY());
  if (Wrap && Engine()) {
    const Rect& target = Engine()->TargetRect;
    x = WrapCoordinate(x, target.Right, Width);
    y = WrapCoordinate(y, target.Bottom, Height);
  }
  return Rect{ClampToInt(x), ClampToInt(y), ClampToInt(x + Width), ClampToInt(y + Height)};
}

Rect ImageSprite::DrawRect() const {
  Rect r = Bounds();
  if (!Image) return r;
  // Integer division truncating toward zero centres the frame in the box.
  const int dx = (Width - Image->FrameWidth()) / 2;
  const int dy = (Height - Image->FrameHeight()) / 2;
  return Rect{ClampToInt(int64_t{r.Left} + dx), ClampToInt(int64_t{r.Top} + dy),
              ClampToInt(int64_t{r.Right} + dx), ClampToInt(int64_t{r.Bottom} + dy)};
}

void ImageSprite::Render() {
  if (!Image || !Engine()) return;
  const Rect r = DrawRect();
  Image->DrawFrame(Engine()->TargetSurface(), r.Left, r.Top, CurrentFrame());
}

bool ImageSprite::AcceptsHit(Sprite& other) {
  if (!PixelExact) return true;
  auto* otherImage = dynamic_cast<ImageSprite*>(&other);
  if (!otherImage) return true;
  return PixelsOverlap(*otherImage);
}

bool ImageSprite::PixelsOverlap(const ImageSprite& other) const {
  // Without a picture there is nothing drawn to touch.
  if (!Image || !other.Image) return false;
  const Rect a = DrawRect();
  const Rect b = other.DrawRect();
  // Only the frames' own areas can hold drawn pixels.
  const Rect fa{a.Left, a.Top, ClampToInt(int64_t{a.Left} + Image->FrameWidth()),
                ClampToInt(int64_t{a.Top} + Image->FrameHeight())};
  const Rect fb{b.Left, b.Top, ClampToInt(int64_t{b.Left} + other.Image->FrameWidth()),
                ClampToInt(int64_t{b.Top} + other.Image->FrameHeight())};
  const int left = std::max({a.Left, b.Left, fa.Left, fb.Left});
  const int top = std::max({a.Top, b.Top, fa.Top, fb.Top});
  const int right = std::min({a.Right, b.Right, fa.Right, fb.Right});
  const int bottom = std::min({a.Bottom, b.Bottom, fa.Bottom, fb.Bottom});
  const int frameA = CurrentFrame();
  const int frameB = other.CurrentFrame();
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (Image->FramePixelSolid(frameA, x - a.Left, y - a.Top) &&
          other.Image->FramePixelSolid(frameB, x - b.Left, y - b.Top)) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace klv
