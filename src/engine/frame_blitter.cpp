#include "engine/frame_blitter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace klv {

namespace {

// Draws one pixel with coverage c (0..255) already scaled by any global alpha.
inline void Put(uint32_t* d, uint32_t s, uint32_t c) {
  if (c >= 255) *d = s | 0xFF000000u;
  else if (c) *d = FrameBlitter::Mix(*d, s, c);
}

inline uint32_t Scale(uint32_t c, uint32_t alpha) { return (c * alpha + 127) / 255; }

}  // namespace

void FrameBlitter::BuildRuns(const Surface& pixels, const Rect& area, BlitMode mode, uint32_t key,
                             std::vector<uint32_t>& rowRuns, std::vector<RunSpan>& runs) {
  const int w = area.Width();
  for (int r = 0; r < area.Height(); ++r) {
    rowRuns.push_back(static_cast<uint32_t>(runs.size()));
    const uint32_t* row = pixels.Row(area.Top + r) + area.Left;
    int x = 0;
    while (x < w) {
      uint32_t c = Coverage(mode, key, row[x]);
      if (c == 0) {
        ++x;
        continue;
      }
      const uint16_t blend = c < 255;
      int end = x + 1;
      while (end < w) {
        uint32_t ce = Coverage(mode, key, row[end]);
        if (ce == 0 || (ce < 255) != bool(blend)) break;
        ++end;
      }
      runs.push_back({static_cast<uint16_t>(x), static_cast<uint16_t>(end - x), blend, 0});
      x = end;
    }
  }
  rowRuns.push_back(static_cast<uint32_t>(runs.size()));
}

void FrameBlitter::Draw(Surface& dest, const BlitSource& src, int x, int y) {
  if (!src.Pixels || dest.Empty()) return;
  const int fw = src.Area.Width(), fh = src.Area.Height();
  // Clip in frame coordinates, in 64 bits so far-off positions cannot wrap.
  const int x0 = static_cast<int>(std::max<int64_t>(0, -int64_t(x)));
  const int y0 = static_cast<int>(std::max<int64_t>(0, -int64_t(y)));
  const int x1 = static_cast<int>(std::min<int64_t>(fw, int64_t(dest.Width()) - x));
  const int y1 = static_cast<int>(std::min<int64_t>(fh, int64_t(dest.Height()) - y));
  if (x0 >= x1 || y0 >= y1) return;
  for (int r = y0; r < y1; ++r) {
    const uint32_t* s = src.Pixels->Row(src.Area.Top + r) + src.Area.Left;
    uint32_t* d = dest.Row(y + r) + x;
    if (src.Runs) {
      const RunSpan* span = src.Runs + src.RowRuns[r];
      const RunSpan* last = src.Runs + src.RowRuns[r + 1];
      for (; span != last; ++span) {
        const int a = std::max<int>(span->X, x0);
        const int b = std::min<int>(span->X + span->Length, x1);
        if (a >= b) {
          if (span->X >= x1) break;
          continue;
        }
        if (!span->Blend) {
          std::memcpy(d + a, s + a, size_t(b - a) * 4);
        } else {
          for (int i = a; i < b; ++i) Put(d + i, s[i], s[i] >> 24);
        }
      }
    } else if (src.Mode == BlitMode::Opaque) {
      std::memcpy(d + x0, s + x0, size_t(x1 - x0) * 4);
    } else {
      for (int i = x0; i < x1; ++i) Put(d + i, s[i], Coverage(src.Mode, src.Key, s[i]));
    }
  }
  dest.Touch();
}

void FrameBlitter::Stretch(Surface& dest, const BlitSource& src, const Rect& to, int alpha) {
  if (!src.Pixels || dest.Empty() || alpha <= 0) return;
  alpha = std::min(alpha, 255);
  const int64_t dw = int64_t(to.Right) - to.Left, dh = int64_t(to.Bottom) - to.Top;
  if (dw <= 0 || dh <= 0) return;
  const int fw = src.Area.Width(), fh = src.Area.Height();
  const int cx0 = static_cast<int>(std::max<int64_t>(to.Left, 0));
  const int cx1 = static_cast<int>(std::min<int64_t>(to.Right, dest.Width()));
  const int cy0 = static_cast<int>(std::max<int64_t>(to.Top, 0));
  const int cy1 = static_cast<int>(std::min<int64_t>(to.Bottom, dest.Height()));
  if (cx0 >= cx1 || cy0 >= cy1) return;
  // Each destination pixel takes the source pixel under its centre.
  std::vector<int> columns(size_t(cx1 - cx0));
  for (int dx = cx0; dx < cx1; ++dx)
    columns[size_t(dx - cx0)] =
        static_cast<int>(((int64_t(dx) - to.Left) * 2 + 1) * fw / (2 * dw));
  for (int dy = cy0; dy < cy1; ++dy) {
    const int sy = static_cast<int>(((int64_t(dy) - to.Top) * 2 + 1) * fh / (2 * dh));
    const uint32_t* s = src.Pixels->Row(src.Area.Top + sy) + src.Area.Left;
    uint32_t* d = dest.Row(dy);
    for (int dx = cx0; dx < cx1; ++dx) {
      const uint32_t p = s[columns[size_t(dx - cx0)]];
      uint32_t c = Coverage(src.Mode, src.Key, p);
      if (alpha < 255) c = Scale(c, uint32_t(alpha));
      Put(d + dx, p, c);
    }
  }
  dest.Touch();
}

void FrameBlitter::Rotate(Surface& dest, const BlitSource& src, int x, int y, int width,
                          int height, double centerX, double centerY, int angle) {
  if (!src.Pixels || dest.Empty() || width <= 0 || height <= 0) return;
  if (!std::isfinite(centerX) || !std::isfinite(centerY)) return;
  const int fw = src.Area.Width(), fh = src.Area.Height();
  if (fw <= 0 || fh <= 0) return;
  const double theta = (angle & 255) * (2.0 * M_PI / 256.0);
  const double c = std::cos(theta), s = std::sin(theta);
  const double ox = centerX * width, oy = centerY * height;  // pivot within the scaled frame
  // Screen offset from the pivot of a point (u, v) of the scaled frame, taken
  // from the pivot: (u c + v s, -u s + v c). The box of the four corners:
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int k = 0; k < 4; ++k) {
    const double u = (k & 1 ? width : 0) - ox, v = (k & 2 ? height : 0) - oy;
    const double px = u * c + v * s, py = -u * s + v * c;
    minX = std::min(minX, px), maxX = std::max(maxX, px);
    minY = std::min(minY, py), maxY = std::max(maxY, py);
  }
  const double bx0 = std::max(std::floor(x + minX), 0.0);
  const double by0 = std::max(std::floor(y + minY), 0.0);
  const double bx1 = std::min(std::ceil(x + maxX), double(dest.Width()));
  const double by1 = std::min(std::ceil(y + maxY), double(dest.Height()));
  if (bx0 >= bx1 || by0 >= by1) return;
  const double sxScale = double(fw) / width, syScale = double(fh) / height;
  const uint32_t* base = src.Pixels->Row(src.Area.Top) + src.Area.Left;
  const int pitch = src.Pixels->Width();
  auto sample = [&](int sx, int sy, uint32_t& px) -> uint32_t {
    if (sx < 0 || sy < 0 || sx >= fw || sy >= fh) return 0;
    px = base[size_t(sy) * pitch + sx];
    return Coverage(src.Mode, src.Key, px);
  };
  for (int py = int(by0); py < int(by1); ++py) {
    uint32_t* d = dest.Row(py);
    const double dy = py + 0.5 - y;
    for (int px = int(bx0); px < int(bx1); ++px) {
      const double dx = px + 0.5 - x;
      // Back to the frame: the inverse turn, then the inverse scale.
      const double u = dx * c - dy * s + ox, v = dx * s + dy * c + oy;
      const double fx = u * sxScale - 0.5, fy = v * syScale - 0.5;
      if (fx <= -1.0 || fy <= -1.0 || fx >= fw || fy >= fh) continue;
      const double flx = std::floor(fx), fly = std::floor(fy);
      const int ix = int(flx), iy = int(fly);
      const uint32_t wx = uint32_t((fx - flx) * 256.0 + 0.5), wy = uint32_t((fy - fly) * 256.0 + 0.5);
      const uint32_t w[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
      // Premultiplied sum of the four neighbours, so keyed and transparent
      // pixels lend no colour to the edge.
      uint64_t sa = 0, sr = 0, sg = 0, sb = 0;
      for (int k = 0; k < 4; ++k) {
        if (!w[k]) continue;
        uint32_t p = 0;
        const uint32_t cov = sample(ix + (k & 1), iy + (k >> 1), p);
        if (!cov) continue;
        const uint64_t wk = uint64_t(w[k]) * cov;
        sa += wk;
        sr += wk * ((p >> 16) & 255);
        sg += wk * ((p >> 8) & 255);
        sb += wk * (p & 255);
      }
      if (!sa) continue;
      const uint32_t r = uint32_t((sr + sa / 2) / sa), g = uint32_t((sg + sa / 2) / sa),
                     b = uint32_t((sb + sa / 2) / sa);
      const uint32_t cover = uint32_t((sa + 32768) >> 16);  // 0..255
      Put(d + px, (r << 16) | (g << 8) | b, cover);
    }
  }
  dest.Touch();
}

}  // namespace klv
