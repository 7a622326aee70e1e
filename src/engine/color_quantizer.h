#pragma once
// Reduces a picture to at most 256 colours for 8-bit bitmaps (median cut),
// keeping a colour key exact: the key gets its own entry and no other pixel
// maps to it. Deterministic: the same picture always gives the same result.

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/surface.h"

namespace klv {

class ColorQuantizer {
 public:
  struct Result {
    std::vector<uint32_t> Palette;  // 0x00RRGGBB, at most maxColors entries
    std::vector<uint8_t> Indexes;   // one per pixel, rows top-down
  };
  // key: the colour (0x00RRGGBB) that must stay exact, if any. Alpha is ignored.
  static Result Quantize(const Surface& picture, int maxColors, std::optional<uint32_t> key);
};

}  // namespace klv
