#pragma once
// Writes Windows bitmaps (without the file header) for the "TDIB" kind of the
// image-collection file: 24- and 32-bit true colour and 8-bit with a colour
// table, run-length coded (RLE8) when that is smaller.

#include <cstdint>
#include <vector>

#include "engine/surface.h"

namespace klv {

class DibEncoder {
 public:
  // bits is 24 or 32; rows bottom-up, alpha dropped.
  static std::vector<uint8_t> EncodeTrueColor(const Surface& picture, int bits);
  // palette: at most 256 entries of 0x00RRGGBB; indexes: width * height,
  // rows top-down. With allowRle the RLE8 form is used when it is smaller.
  static std::vector<uint8_t> EncodeIndexed8(int width, int height,
                                             const std::vector<uint32_t>& palette,
                                             const std::vector<uint8_t>& indexes, bool allowRle);
  // The RLE8 pixel data alone (bottom-up rows, end-of-line after each row,
  // end-of-picture after the last).
  static std::vector<uint8_t> Rle8(int width, int height, const std::vector<uint8_t>& indexes);
};

}  // namespace klv
