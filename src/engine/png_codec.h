#pragma once
// PNG pictures through libpng: the "TPNGImage" graphic kind of our
// collections (pictures with per-pixel alpha) and the tools' output.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/surface.h"

namespace klv {

class PngCodec {
 public:
  // Decodes to 0xAARRGGBB, straight (not premultiplied) alpha. Throws
  // DataError on a damaged file or one larger than 4096 by 4096.
  static Surface Decode(const uint8_t* data, size_t size);
  // Encodes with alpha; the same picture always gives the same bytes.
  static std::vector<uint8_t> Encode(const Surface& picture);
  // File helpers for the tools; throw KlvError naming the file.
  static Surface ReadFile(const std::string& path);
  static void WriteFile(const std::string& path, const Surface& picture);
};

}  // namespace klv
