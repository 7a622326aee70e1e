#pragma once
// The copies from a frame of an uploaded picture onto the back buffer: plain,
// colour-keyed or with per-pixel alpha; straight, scaled, blended or turned.
// Every operation clips to the destination and ignores the destination's alpha.

#include <cstdint>
#include <vector>

#include "engine/rect.h"
#include "engine/surface.h"

namespace klv {

enum class BlitMode : uint8_t {
  Opaque,  // every pixel drawn
  Keyed,   // pixels whose colour equals the key are skipped
  Alpha,   // pixels mixed by their own alpha
};

// A horizontal stretch of one frame row that is drawn, frame-relative.
// Blend == 0: every pixel is copied as is; 1: pixels are mixed by their alpha.
struct RunSpan {
  uint16_t X = 0;
  uint16_t Length = 0;
  uint16_t Blend = 0;
  uint16_t Reserved = 0;
};

struct BlitSource {
  const Surface* Pixels = nullptr;
  Rect Area;  // the frame within Pixels
  BlitMode Mode = BlitMode::Opaque;
  uint32_t Key = 0;  // 0x00RRGGBB; a value above 0xFFFFFF matches no pixel
  // Optional run data made by BuildRuns for this frame, mode and key:
  // the spans of row r are Runs[RowRuns[r] .. RowRuns[r + 1]).
  const uint32_t* RowRuns = nullptr;
  const RunSpan* Runs = nullptr;
};

class FrameBlitter {
 public:
  // Appends the frame's run data: Area.Height() + 1 row offsets to rowRuns
  // (as indexes into runs) and its spans to runs.
  static void BuildRuns(const Surface& pixels, const Rect& area, BlitMode mode, uint32_t key,
                        std::vector<uint32_t>& rowRuns, std::vector<RunSpan>& runs);

  // How much of the pixel shows, 0 (not drawn) to 255 (fully).
  static uint32_t Coverage(BlitMode mode, uint32_t key, uint32_t pixel) {
    switch (mode) {
      case BlitMode::Opaque:
        return 255;
      case BlitMode::Keyed:
        return (pixel & 0xFFFFFFu) == key ? 0 : 255;
      case BlitMode::Alpha:
        return pixel >> 24;
    }
    return 255;
  }

  // dest pixel mixed with src by a/255 (a from 0 to 255), rounded.
  static uint32_t Mix(uint32_t dest, uint32_t src, uint32_t a) {
    const uint32_t na = 255 - a;
    uint32_t rb = (src & 0xFF00FFu) * a + (dest & 0xFF00FFu) * na + 0x800080u;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    uint32_t g = (src & 0xFF00u) * a + (dest & 0xFF00u) * na + 0x8000u;
    g = ((g + (g >> 8)) >> 8) & 0xFF00u;
    return 0xFF000000u | rb | g;
  }

  // n pixels of src mixed onto dest, each by its own alpha, exactly as Mix
  // does one by one; the alphas must lie within 1..254 (a run's blended
  // pixels). Four pixels at a time where the processor has SSE2.
  static void MixRun(uint32_t* dest, const uint32_t* src, int n);

  // The frame with its top-left corner at (x, y).
  static void Draw(Surface& dest, const BlitSource& src, int x, int y);
  // The frame scaled to the rectangle (nearest pixel), weighted by alpha
  // (1 to 255; 255 is a plain copy).
  static void Stretch(Surface& dest, const BlitSource& src, const Rect& to, int alpha);
  // The frame scaled to width by height and turned by angle (256ths of a turn,
  // positive turns clockwise on the screen) about the point at fractions
  // (centerX, centerY) of its size, that point placed at (x, y). Sampled
  // bilinearly from the whole frame, so edges are smooth and nothing shimmers.
  static void Rotate(Surface& dest, const BlitSource& src, int x, int y, int width, int height,
                     double centerX, double centerY, int angle);
};

}  // namespace klv
