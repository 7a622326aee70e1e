#include "engine/frame_blitter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace klv {

namespace {

// Draws one pixel with coverage c (0..255) already scaled by any global alpha.
inline void Put(uint32_t* d, uint32_t s, uint32_t c) {
  if (c >= 255)
    *d = s | 0xFF000000u;
  else if (c)
    *d = FrameBlitter::Mix(*d, s, c);
}

inline uint32_t Scale(uint32_t c, uint32_t alpha) {
  return (c * alpha + 127) / 255;
}

}  // namespace

void FrameBlitter::MixRun(uint32_t* dest, const uint32_t* src, int n) {
  int i = 0;
#if defined(__SSE2__)
  // Mix works on each channel as t = s * a + d * (255 - a) + 128 and keeps
  // (t + (t >> 8)) >> 8; t stays below 65536, so 16-bit lanes give the same.
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(255);
  const __m128i half = _mm_set1_epi16(128);
  const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
    // Each pixel's alpha in all four of its 16-bit lanes.
    __m128i a = _mm_srli_epi32(s, 24);
    a = _mm_or_si128(a, _mm_slli_epi32(a, 16));
    const __m128i aLo = _mm_unpacklo_epi32(a, a), aHi = _mm_unpackhi_epi32(a, a);
    auto mix = [&](__m128i s16, __m128i d16, __m128i a16) {
      __m128i t =
          _mm_add_epi16(_mm_mullo_epi16(s16, a16), _mm_mullo_epi16(d16, _mm_sub_epi16(full, a16)));
      t = _mm_add_epi16(t, half);
      return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    };
    const __m128i lo = mix(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), aLo);
    const __m128i hi = mix(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), aHi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i),
                     _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
  }
#endif
  for (; i < n; ++i) dest[i] = Mix(dest[i], src[i], src[i] >> 24);
}

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
  // Clip in frame coordinates, in 64 bits so far-off positions cannot wrap;
  // what is left lies within [0, fw) x [0, fh).
  const Rect& clip = dest.Clip();
  const int64_t cx0 = std::max<int64_t>(0, int64_t(clip.Left) - x);
  const int64_t cy0 = std::max<int64_t>(0, int64_t(clip.Top) - y);
  const int64_t cx1 = std::min<int64_t>(fw, int64_t(clip.Right) - x);
  const int64_t cy1 = std::min<int64_t>(fh, int64_t(clip.Bottom) - y);
  if (cx0 >= cx1 || cy0 >= cy1) return;
  const int x0 = int(cx0), x1 = int(cx1), y0 = int(cy0), y1 = int(cy1);
  for (int r = y0; r < y1; ++r) {
    const uint32_t* s = src.Pixels->Row(src.Area.Top + r) + src.Area.Left;
    // Frame column i lands on row[x + i]; x + i >= 0 for every drawn i.
    uint32_t* row = dest.Row(y + r);
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
          std::memcpy(row + (x + a), s + a, size_t(b - a) * 4);
        } else {
          MixRun(row + (x + a), s + a, b - a);
        }
      }
    } else if (src.Mode == BlitMode::Opaque) {
      std::memcpy(row + (x + x0), s + x0, size_t(x1 - x0) * 4);
    } else {
      for (int i = x0; i < x1; ++i) Put(row + (x + i), s[i], Coverage(src.Mode, src.Key, s[i]));
    }
  }
  dest.Touch();
}

namespace {

// One destination row of a scaled copy: pixel i takes source pixel cols[i]
// (or i itself when cols is null), weighted by the global alpha when Global.
template <BlitMode M, bool Global, bool Scaled>
void StretchRow(uint32_t* __restrict d, const uint32_t* __restrict s, const int* cols, int n,
                uint32_t key, uint32_t alpha) {
  for (int i = 0; i < n; ++i) {
    const uint32_t p = Scaled ? s[cols[i]] : s[i];
    if constexpr (M == BlitMode::Keyed) {
      if ((p & 0xFFFFFFu) == key) continue;
    }
    if constexpr (M == BlitMode::Alpha) {
      const uint32_t a = Global ? Scale(p >> 24, alpha) : p >> 24;
      Put(d + i, p, a);
    } else if constexpr (Global) {
      d[i] = FrameBlitter::Mix(d[i], p, alpha);
    } else {
      d[i] = p | 0xFF000000u;
    }
  }
}

template <bool Global, bool Scaled>
void StretchRowFor(BlitMode mode, uint32_t* d, const uint32_t* s, const int* cols, int n,
                   uint32_t key, uint32_t alpha) {
  switch (mode) {
    case BlitMode::Opaque:
      StretchRow<BlitMode::Opaque, Global, Scaled>(d, s, cols, n, key, alpha);
      break;
    case BlitMode::Keyed:
      StretchRow<BlitMode::Keyed, Global, Scaled>(d, s, cols, n, key, alpha);
      break;
    case BlitMode::Alpha:
      StretchRow<BlitMode::Alpha, Global, Scaled>(d, s, cols, n, key, alpha);
      break;
  }
}

}  // namespace

void FrameBlitter::Stretch(Surface& dest, const BlitSource& src, const Rect& to, int alpha) {
  if (!src.Pixels || dest.Empty() || alpha <= 0) return;
  alpha = std::min(alpha, 255);
  const int64_t dw = int64_t(to.Right) - to.Left, dh = int64_t(to.Bottom) - to.Top;
  if (dw <= 0 || dh <= 0) return;
  const int fw = src.Area.Width(), fh = src.Area.Height();
  const Rect& clip = dest.Clip();
  const int cx0 = static_cast<int>(std::max<int64_t>(to.Left, clip.Left));
  const int cx1 = static_cast<int>(std::min<int64_t>(to.Right, clip.Right));
  const int cy0 = static_cast<int>(std::max<int64_t>(to.Top, clip.Top));
  const int cy1 = static_cast<int>(std::min<int64_t>(to.Bottom, clip.Bottom));
  if (cx0 >= cx1 || cy0 >= cy1) return;
  // Each destination pixel takes the source pixel under its centre; at the
  // frame's own size that is a straight copy and needs no column table.
  const bool sameWidth = dw == fw;
  std::vector<int> columns;
  if (!sameWidth) {
    columns.resize(size_t(cx1 - cx0));
    for (int dx = cx0; dx < cx1; ++dx)
      columns[size_t(dx - cx0)] =
          static_cast<int>(((int64_t(dx) - to.Left) * 2 + 1) * fw / (2 * dw));
  }
  const int firstColumn = sameWidth ? int(cx0 - int64_t(to.Left)) : 0;
  for (int dy = cy0; dy < cy1; ++dy) {
    const int sy = static_cast<int>(((int64_t(dy) - to.Top) * 2 + 1) * fh / (2 * dh));
    const uint32_t* s = src.Pixels->Row(src.Area.Top + sy) + src.Area.Left + firstColumn;
    uint32_t* d = dest.Row(dy) + cx0;
    const int n = cx1 - cx0;
    const uint32_t a = uint32_t(alpha);
    if (sameWidth) {
      if (alpha < 255)
        StretchRowFor<true, false>(src.Mode, d, s, nullptr, n, src.Key, a);
      else
        StretchRowFor<false, false>(src.Mode, d, s, nullptr, n, src.Key, a);
    } else {
      if (alpha < 255)
        StretchRowFor<true, true>(src.Mode, d, s, columns.data(), n, src.Key, a);
      else
        StretchRowFor<false, true>(src.Mode, d, s, columns.data(), n, src.Key, a);
    }
  }
  dest.Touch();
}

void FrameBlitter::Rotate(Surface& dest, const BlitSource& src, int x, int y, int width, int height,
                          double centerX, double centerY, int angle) {
  if (!src.Pixels || dest.Empty() || width <= 0 || height <= 0) return;
  if (!std::isfinite(centerX) || !std::isfinite(centerY)) return;
  const int fw = src.Area.Width(), fh = src.Area.Height();
  if (fw <= 0 || fh <= 0) return;
  // A positive angle turns the picture clockwise on the screen (y grows
  // downwards), so a hooked fish with a negative angle hangs mouth up.
  const double theta = -(angle & 255) * (2.0 * M_PI / 256.0);
  const double c = std::cos(theta), s = std::sin(theta);
  const double ox = centerX * width, oy = centerY * height;  // pivot within the scaled frame
  if (!(std::fabs(ox) < 1e7 && std::fabs(oy) < 1e7)) return;
  // Screen offset from the pivot of a point (u, v) of the scaled frame, taken
  // from the pivot: (u c + v s, -u s + v c). The box of the four corners:
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int k = 0; k < 4; ++k) {
    const double u = (k & 1 ? width : 0) - ox, v = (k & 2 ? height : 0) - oy;
    const double px = u * c + v * s, py = -u * s + v * c;
    minX = std::min(minX, px), maxX = std::max(maxX, px);
    minY = std::min(minY, py), maxY = std::max(maxY, py);
  }
  // Each row is stepped from the box's left edge within the surface, as if
  // there were no clip, so a clipped draw puts down the very same pixels.
  const Rect& clip = dest.Clip();
  const double bx0 = std::max(std::floor(x + minX), 0.0);
  const double by0 = std::max({std::floor(y + minY), 0.0, double(clip.Top)});
  const double bx1 = std::min(std::ceil(x + maxX), double(clip.Right));
  const double by1 = std::min(std::ceil(y + maxY), double(clip.Bottom));
  const double cx0 = std::max(bx0, double(clip.Left));
  if (cx0 >= bx1 || by0 >= by1) return;
  const double sxScale = double(fw) / width, syScale = double(fh) / height;
  // The frame position (minus half a pixel, for bilinear sampling) of a
  // destination pixel centre, in 16.16 fixed point: the inverse turn and
  // scale, stepping by a constant along a row.
  constexpr double kOne = 65536.0;
  const int64_t stepX = std::llround(c * sxScale * kOne), stepY = std::llround(s * syScale * kOne);
  const uint32_t* base = src.Pixels->Row(src.Area.Top) + src.Area.Left;
  const size_t pitch = size_t(src.Pixels->Width());
  const int64_t limitX = int64_t(fw) << 16, limitY = int64_t(fh) << 16;
  const BlitMode mode = src.Mode;
  const uint32_t key = src.Key;
  for (int py = int(by0); py < int(by1); ++py) {
    uint32_t* d = dest.Row(py);
    const double dx = bx0 + 0.5 - x, dy = py + 0.5 - y;
    int64_t fxq = std::llround(((dx * c - dy * s + ox) * sxScale - 0.5) * kOne);
    int64_t fyq = std::llround(((dx * s + dy * c + oy) * syScale - 0.5) * kOne);
    const int skip = int(cx0) - int(bx0);
    fxq += stepX * skip;
    fyq += stepY * skip;
    for (int px = int(cx0); px < int(bx1); ++px, fxq += stepX, fyq += stepY) {
      if (fxq <= -65536 || fyq <= -65536 || fxq >= limitX || fyq >= limitY) continue;
      const int ix = int(fxq >> 16), iy = int(fyq >> 16);
      const uint32_t wx = uint32_t(fxq >> 8) & 255, wy = uint32_t(fyq >> 8) & 255;
      const uint32_t w[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
      uint32_t p[4] = {0, 0, 0, 0}, cov[4] = {0, 0, 0, 0};
      if (ix >= 0 && iy >= 0 && ix + 1 < fw && iy + 1 < fh) {
        const uint32_t* r0 = base + size_t(iy) * pitch + ix;
        p[0] = r0[0], p[1] = r0[1], p[2] = r0[pitch], p[3] = r0[pitch + 1];
        for (int k = 0; k < 4; ++k) cov[k] = Coverage(mode, key, p[k]);
      } else {
        for (int k = 0; k < 4; ++k) {
          const int sx = ix + (k & 1), sy = iy + (k >> 1);
          if (sx < 0 || sy < 0 || sx >= fw || sy >= fh) continue;
          p[k] = base[size_t(sy) * pitch + sx];
          cov[k] = Coverage(mode, key, p[k]);
        }
      }
      if ((cov[0] & cov[1] & cov[2] & cov[3]) == 255) {
        // Inside the picture: a plain weighted mean, weights summing to 65536.
        uint32_t r = 32768, g = 32768, b = 32768;
        for (int k = 0; k < 4; ++k) {
          r += w[k] * ((p[k] >> 16) & 255);
          g += w[k] * ((p[k] >> 8) & 255);
          b += w[k] * (p[k] & 255);
        }
        d[px] = 0xFF000000u | ((r >> 16) << 16) | ((g >> 16) << 8) | (b >> 16);
        continue;
      }
      // At an edge: a premultiplied mean, so keyed and transparent pixels
      // lend no colour, and the covered share becomes the pixel's alpha.
      uint64_t sa = 0, sr = 0, sg = 0, sb = 0;
      for (int k = 0; k < 4; ++k) {
        if (!cov[k] || !w[k]) continue;
        const uint64_t wk = uint64_t(w[k]) * cov[k];
        sa += wk;
        sr += wk * ((p[k] >> 16) & 255);
        sg += wk * ((p[k] >> 8) & 255);
        sb += wk * (p[k] & 255);
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
