#pragma once
// Small image-collection files and bitmaps built in memory for the tests.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/icf_writer.h"
#include "engine/surface.h"

namespace klv::testfiles {

inline void Put16(std::vector<uint8_t>& o, uint32_t v) {
  o.push_back(uint8_t(v));
  o.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& o, uint32_t v) {
  for (int i = 0; i < 4; ++i) o.push_back(uint8_t(v >> (8 * i)));
}

// A bitmap without file header. data is the pixel data exactly as stored.
struct DibLayout {
  int32_t width = 1;
  int32_t height = 1;
  int bits = 8;
  uint32_t compression = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB, written in full
  uint32_t colorsUsed = 0;
  std::vector<uint32_t> masks;  // written when not empty
  bool core = false;
  std::vector<uint8_t> data;
  uint32_t headerSize = 0;  // 0: 12 or 40 as core says
};

inline DibLayout Layout(int32_t width, int32_t height, int bits, uint32_t compression = 0) {
  DibLayout s;
  s.width = width, s.height = height, s.bits = bits, s.compression = compression;
  return s;
}

inline std::vector<uint8_t> MakeDib(const DibLayout& s) {
  std::vector<uint8_t> o;
  if (s.core) {
    Put32(o, s.headerSize ? s.headerSize : 12);
    Put16(o, uint32_t(s.width));
    Put16(o, uint32_t(s.height));
    Put16(o, 1);
    Put16(o, uint32_t(s.bits));
    for (uint32_t c : s.palette)
      o.push_back(uint8_t(c)), o.push_back(uint8_t(c >> 8)), o.push_back(uint8_t(c >> 16));
  } else {
    Put32(o, s.headerSize ? s.headerSize : 40);
    Put32(o, uint32_t(s.width));
    Put32(o, uint32_t(s.height));
    Put16(o, 1);
    Put16(o, uint32_t(s.bits));
    Put32(o, s.compression);
    Put32(o, uint32_t(s.data.size()));
    Put32(o, 0);
    Put32(o, 0);
    Put32(o, s.colorsUsed);
    Put32(o, 0);
    for (uint32_t m : s.masks) Put32(o, m);
    for (uint32_t c : s.palette) Put32(o, c);
  }
  o.insert(o.end(), s.data.begin(), s.data.end());
  return o;
}

inline IcfItem ItemWith(std::string name, std::vector<uint8_t> pictureData) {
  IcfItem item;
  item.Name = std::move(name);
  item.PictureData = std::move(pictureData);
  return item;
}

inline std::vector<uint8_t> FileWith(const std::vector<IcfItem>& items) {
  std::array<uint32_t, 256> table{};
  return IcfWriter::WriteCollection(table, items);
}

// A picture whose every pixel is distinct: 0xFF000000 | (y << 12) | x.
inline Surface CoordinatePicture(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Set(x, y, 0xFF000000u | (uint32_t(y) << 12) | uint32_t(x));
  return s;
}

}  // namespace klv::testfiles
