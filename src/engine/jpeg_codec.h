#pragma once
// JPEG pictures (the "TJPEGImage" graphic kind) through libjpeg-turbo. Errors
// never end the program: libjpeg's errors and warnings both become DataError.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/surface.h"

namespace klv {

class JpegCodec {
 public:
  // Decodes a whole JPEG file to 0xFFRRGGBB pixels. Pictures over 4096 by
  // 4096, more than kMaxJpegScans scans, or any libjpeg warning are errors.
  static Surface Decode(const uint8_t* data, size_t size);
  // Reads the whole file as Decode does, with the same errors, but at an
  // eighth of the size (the picture is not kept), and returns the width and
  // height Decode would give.
  struct Size {
    int width = 0;
    int height = 0;
  };
  static Size Check(const uint8_t* data, size_t size);
  // Encodes the picture's colour (alpha ignored); the same input always gives
  // the same bytes.
  static std::vector<uint8_t> Encode(const Surface& picture, int quality);
};

}  // namespace klv
