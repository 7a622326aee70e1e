#pragma once
// Windows device-independent bitmaps as stored in the image-collection file
// (the "TDIB" graphic kind): no 14-byte file header, then a 40-byte information
// header or a 12-byte core header, optional colour masks, the colour table and
// the rows, plain or run-length coded.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/surface.h"

namespace klv {

struct DecodedPicture {
  Surface Pixels;  // 0xFFRRGGBB (empty after Check)
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Palette;  // 256 entries of 0x00RRGGBB for 8 bits or less, else empty
  int BitCount = 0;
};

class DibDecoder {
 public:
  // Decodes the bitmap in data[0, size). base is its offset within the file,
  // used in messages. Throws DataError ("DIB is invalid" for a bad header,
  // otherwise a short message with the byte offset).
  static DecodedPicture Decode(const uint8_t* data, size_t size, uint64_t base);
  // Reads the bitmap as Decode does, with the same errors, size, palette and
  // bit count, but makes no pixels.
  static DecodedPicture Check(const uint8_t* data, size_t size, uint64_t base);

 private:
  static DecodedPicture Read(const uint8_t* data, size_t size, uint64_t base, bool pixels);
};

}  // namespace klv
