#include "engine/canvas.h"

#include <algorithm>
#include <functional>

#include "engine/cp1251.h"
#include "engine/draw_list.h"
#include "engine/surface.h"

namespace klv {

size_t Canvas::KeyHash::operator()(const Key& k) const {
  size_t h = std::hash<std::string>()(k.text);
  h ^= (size_t(k.font.face) * 131 + size_t(k.font.points) * 7 + (k.font.bold ? 1 : 0)) *
       0x9E3779B97F4A7C15ull;
  return h;
}

const TextRaster& Canvas::Render(const std::string& cp1251) {
  Key key{Font, cp1251};
  auto it = cache_.find(key);
  if (it != cache_.end()) {
    lru_.splice(lru_.begin(), lru_, it->second.lru);
    return it->second.raster;
  }
  Entry entry;
  if (fonts_) entry.raster = fonts_->RenderText(Font, Cp1251ToUtf8(cp1251));
  const size_t bytes = entry.raster.coverage.size();
  while (!lru_.empty() && (cache_.size() >= kMaxCached || cachedBytes_ + bytes > kMaxCachedBytes)) {
    auto old = cache_.find(lru_.back());
    cachedBytes_ -= old->second.raster.coverage.size();
    cache_.erase(old);
    lru_.pop_back();
  }
  lru_.push_front(key);
  entry.lru = lru_.begin();
  cachedBytes_ += bytes;
  return cache_.emplace(std::move(key), std::move(entry)).first->second.raster;
}

void Canvas::TextOut(int x, int y, const std::string& cp1251) {
  if (!target_ || cp1251.empty()) return;
  const TextRaster& r = Render(cp1251);
  if (DrawList* list = target_->Recorder()) {
    list->AddText(Font, FontColor, x, y, cp1251, Rect::Bounds(x, y, r.width, r.height));
    return;
  }
  const Rect& clip = target_->Clip();
  const int x0 = std::max(x, clip.Left), y0 = std::max(y, clip.Top);
  const int x1 = std::min(x + r.width, clip.Right);
  const int y1 = std::min(y + r.height, clip.Bottom);
  if (x0 >= x1 || y0 >= y1) return;
  const uint32_t cr = (FontColor >> 16) & 0xFF, cg = (FontColor >> 8) & 0xFF, cb = FontColor & 0xFF;
  for (int py = y0; py < y1; ++py) {
    const uint8_t* cov = r.coverage.data() + size_t(py - y) * r.width;
    uint32_t* dst = target_->Row(py);
    for (int px = x0; px < x1; ++px) {
      uint32_t a = cov[px - x];
      if (a == 0) continue;
      if (a == 255) {
        dst[px] = 0xFF000000u | (cr << 16) | (cg << 8) | cb;
        continue;
      }
      uint32_t d = dst[px], ia = 255 - a;
      uint32_t rr = (cr * a + ((d >> 16) & 0xFF) * ia + 127) / 255;
      uint32_t gg = (cg * a + ((d >> 8) & 0xFF) * ia + 127) / 255;
      uint32_t bb = (cb * a + (d & 0xFF) * ia + 127) / 255;
      dst[px] = 0xFF000000u | (rr << 16) | (gg << 8) | bb;
    }
  }
  target_->Touch();
}

int Canvas::TextWidth(const std::string& cp1251) {
  if (cp1251.empty()) return 0;
  return Render(cp1251).width;
}

void Canvas::FrameRect(int left, int top, int right, int bottom, uint32_t colour, int penWidth) {
  if (!target_) return;
  // A Windows Rectangle draws from (left, top) to (right - 1, bottom - 1) with
  // the pen centred on that outline.
  int lo = penWidth / 2, hi = penWidth - lo;
  int l = left - lo, t = top - lo, r = right - 1 + hi, b = bottom - 1 + hi;
  target_->FillRect(l, t, r - l, penWidth, colour);
  target_->FillRect(l, b - penWidth, r - l, penWidth, colour);
  target_->FillRect(l, t, penWidth, b - t, colour);
  target_->FillRect(r - penWidth, t, penWidth, b - t, colour);
}

}  // namespace klv
