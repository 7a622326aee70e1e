#include "engine/dib_encoder.h"

#include "engine/errors.h"

namespace klv {

namespace {

void Put16(std::vector<uint8_t>& o, uint32_t v) {
  o.push_back(uint8_t(v));
  o.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& o, uint32_t v) {
  for (int i = 0; i < 4; ++i) o.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> InfoHeader(int w, int h, int bits, uint32_t compression, uint32_t imageSize,
                                uint32_t colours) {
  std::vector<uint8_t> o;
  Put32(o, 40);
  Put32(o, uint32_t(w));
  Put32(o, uint32_t(h));
  Put16(o, 1);
  Put16(o, uint32_t(bits));
  Put32(o, compression);
  Put32(o, imageSize);
  Put32(o, 0);
  Put32(o, 0);
  Put32(o, colours);
  Put32(o, 0);
  return o;
}

}  // namespace

std::vector<uint8_t> DibEncoder::EncodeTrueColor(const Surface& picture, int bits) {
  if (bits != 24 && bits != 32) throw KlvError("true-colour bitmaps are 24 or 32 bits");
  const int w = picture.Width(), h = picture.Height();
  const size_t stride = ((size_t(w) * bits + 31) / 32) * 4;
  std::vector<uint8_t> o = InfoHeader(w, h, bits, 0, uint32_t(stride * h), 0);
  for (int y = h - 1; y >= 0; --y) {
    const uint32_t* row = picture.Row(y);
    const size_t start = o.size();
    for (int x = 0; x < w; ++x) {
      o.push_back(uint8_t(row[x]));
      o.push_back(uint8_t(row[x] >> 8));
      o.push_back(uint8_t(row[x] >> 16));
      if (bits == 32) o.push_back(0);
    }
    o.resize(start + stride, 0);
  }
  return o;
}

std::vector<uint8_t> DibEncoder::Rle8(int w, int h, const std::vector<uint8_t>& idx) {
  std::vector<uint8_t> o;
  for (int y = h - 1; y >= 0; --y) {
    const uint8_t* p = idx.data() + size_t(y) * w;
    int i = 0;
    while (i < w) {
      int run = 1;
      while (i + run < w && run < 255 && p[i + run] == p[i]) ++run;
      if (run >= 3) {
        o.push_back(uint8_t(run));
        o.push_back(p[i]);
        i += run;
        continue;
      }
      // Literal pixels up to the next run of three.
      int j = i;
      while (j < w && j - i < 255) {
        if (j + 2 < w && p[j] == p[j + 1] && p[j] == p[j + 2]) break;
        ++j;
      }
      const int n = j - i;
      if (n < 3) {
        for (int k = 0; k < n; ++k) o.push_back(1), o.push_back(p[i + k]);
      } else {
        o.push_back(0);
        o.push_back(uint8_t(n));
        o.insert(o.end(), p + i, p + j);
        if (n & 1) o.push_back(0);
      }
      i = j;
    }
    o.push_back(0);
    o.push_back(y == 0 ? 1 : 0);
  }
  return o;
}

std::vector<uint8_t> DibEncoder::EncodeIndexed8(int w, int h, const std::vector<uint32_t>& palette,
                                                const std::vector<uint8_t>& idx, bool allowRle) {
  if (palette.empty() || palette.size() > 256)
    throw KlvError("8-bit bitmaps need 1 to 256 colours");
  if (idx.size() != size_t(w) * size_t(h)) throw KlvError("wrong number of pixel indexes");
  const size_t stride = ((size_t(w) * 8 + 31) / 32) * 4;
  std::vector<uint8_t> rle;
  if (allowRle) rle = Rle8(w, h, idx);
  const bool useRle = allowRle && rle.size() < stride * h;
  std::vector<uint8_t> o =
      InfoHeader(w, h, 8, useRle ? 1 : 0, uint32_t(useRle ? rle.size() : stride * h),
                 uint32_t(palette.size()));
  for (uint32_t c : palette) Put32(o, c & 0xFFFFFF);  // blue, green, red, 0
  if (useRle) {
    o.insert(o.end(), rle.begin(), rle.end());
    return o;
  }
  for (int y = h - 1; y >= 0; --y) {
    const size_t start = o.size();
    o.insert(o.end(), idx.begin() + long(size_t(y) * w), idx.begin() + long(size_t(y) * w + w));
    o.resize(start + stride, 0);
  }
  return o;
}

}  // namespace klv
