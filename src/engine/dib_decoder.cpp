#include "engine/dib_decoder.h"

#include <algorithm>
#include <array>

#include "engine/errors.h"
#include "engine/picture_limits.h"

namespace klv {

namespace {

uint16_t Rd16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Rd32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

[[noreturn]] void Invalid() {
  throw DataError("DIB is invalid");
}

// One colour channel described by a bit mask (16- and 32-bit pixels).
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 0;  // mask >> shift
  explicit Channel(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  uint32_t Get(uint32_t px) const {
    if (!max) return 0;
    uint64_t v = (px & mask) >> shift;
    if (max == 255) return static_cast<uint32_t>(v);
    return static_cast<uint32_t>((v * 255 + max / 2) / max);
  }
};

// Run-length coded rows (compression 1 with 8-bit pixels, 2 with 4-bit
// pixels). Rows run bottom-up. Every write is clipped to the picture; pixels
// that no run reaches keep colour index 0.
// Without `out` the runs are only followed, for their errors.
void DecodeRle(const uint8_t* d, size_t n, uint64_t base, bool fourBit,
               const std::array<uint32_t, 256>& pal, int w, int h, Surface* out) {
  int x = 0, y = 0;  // y counts rows from the bottom
  size_t pos = 0;
  auto put = [&](int px, uint8_t index) {
    if (out && px < w && y < h) out->Set(px, h - 1 - y, pal[index]);
  };
  while (pos + 2 <= n && y < h) {
    uint8_t a = d[pos], b = d[pos + 1];
    pos += 2;
    if (a > 0) {  // a pixels of b (4-bit: alternating high and low nibble)
      const int end = out ? std::min(x + a, w) : x;  // a check only follows the runs
      for (int i = x; i < end; ++i) put(i, fourBit ? ((i - x) & 1 ? b & 15 : b >> 4) : b);
      x = std::min(x + a, w);
      continue;
    }
    if (b == 0) {  // end of line
      x = 0;
      ++y;
    } else if (b == 1) {  // end of picture
      return;
    } else if (b == 2) {  // delta: move right and up
      if (pos + 2 > n) throw DataError("truncated RLE delta" + AtByte(base + pos));
      x = std::min(x + d[pos], w);
      y = std::min(y + d[pos + 1], h);
      pos += 2;
    } else {  // b literal pixels, padded to a 16-bit boundary
      size_t bytes = fourBit ? (size_t(b) + 1) / 2 : b;
      size_t padded = (bytes + 1) & ~size_t(1);
      if (pos + bytes > n) throw DataError("truncated RLE literal run" + AtByte(base + pos));
      for (int i = 0; out && i < b && x + i < w; ++i) {
        uint8_t v = d[pos + (fourBit ? i / 2 : i)];
        put(x + i, fourBit ? (i & 1 ? v & 15 : v >> 4) : v);
      }
      x = std::min(x + b, w);
      pos = std::min(pos + padded, n);
    }
  }
}

}  // namespace

DecodedPicture DibDecoder::Decode(const uint8_t* d, size_t n, uint64_t base) {
  return Read(d, n, base, true);
}

DecodedPicture DibDecoder::Check(const uint8_t* d, size_t n, uint64_t base) {
  return Read(d, n, base, false);
}

DecodedPicture DibDecoder::Read(const uint8_t* d, size_t n, uint64_t base, bool pixels) {
  if (n < 4) Invalid();
  const uint32_t headerSize = Rd32(d);
  if (headerSize != 40 && headerSize != 12) Invalid();
  if (n < headerSize) throw DataError("truncated DIB header" + AtByte(base));
  const bool core = headerSize == 12;
  int64_t width, height;
  int planes, bits;
  uint32_t compression = 0, colorsUsed = 0;
  if (core) {
    width = Rd16(d + 4);
    height = Rd16(d + 6);
    planes = Rd16(d + 8);
    bits = Rd16(d + 10);
  } else {
    width = static_cast<int32_t>(Rd32(d + 4));
    height = static_cast<int32_t>(Rd32(d + 8));
    planes = Rd16(d + 12);
    bits = Rd16(d + 14);
    compression = Rd32(d + 16);
    colorsUsed = Rd32(d + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (planes != 1 || width <= 0 || height <= 0) Invalid();
  switch (bits) {
    case 1:
    case 4:
    case 8:
    case 24:
      break;
    case 16:
    case 32:
      if (core) Invalid();
      break;
    default:
      Invalid();
  }
  switch (compression) {
    case 0:
      break;
    case 1:
      if (bits != 8 || topDown) Invalid();
      break;
    case 2:
      if (bits != 4 || topDown) Invalid();
      break;
    case 3:
      if (bits != 16 && bits != 32) Invalid();
      break;
    default:
      Invalid();
  }
  if (width > kMaxPictureSide || height > kMaxPictureSide)
    throw DataError("picture of " + std::to_string(width) + "x" + std::to_string(height) +
                    " is larger than 4096x4096" + AtByte(base));
  if (uint64_t(width) * uint64_t(height) * 4 > kMaxPictureBytes)
    throw DataError("picture too large" + AtByte(base));
  const int w = static_cast<int>(width), h = static_cast<int>(height);

  size_t pos = headerSize;
  uint32_t masks[3] = {0, 0, 0};
  if (compression == 3) {
    if (n - pos < 12) throw DataError("truncated DIB colour masks" + AtByte(base + pos));
    for (int i = 0; i < 3; ++i) masks[i] = Rd32(d + pos + 4 * i);
    pos += 12;
  } else if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bits == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }

  // The colour table: the used-colour count, or every colour the depth allows.
  uint64_t entries = colorsUsed ? colorsUsed : (bits <= 8 ? 1u << bits : 0);
  if (entries > 256) Invalid();
  const size_t entrySize = core ? 3 : 4;
  if (entries * entrySize > n - pos)
    throw DataError("truncated DIB colour table" + AtByte(base + pos));
  DecodedPicture result;
  result.BitCount = bits;
  std::array<uint32_t, 256> pal;  // lookup: 0xFFRRGGBB, black past the table
  pal.fill(0xFF000000u);
  if (bits <= 8) result.Palette.assign(256, 0);
  for (size_t i = 0; i < entries; ++i) {
    const uint8_t* e = d + pos + i * entrySize;
    uint32_t rgb = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    pal[i] = 0xFF000000u | rgb;
    if (bits <= 8) result.Palette[i] = rgb;
  }
  pos += entries * entrySize;

  result.Width = int(w);
  result.Height = int(h);
  if (pixels) result.Pixels = Surface(int(w), int(h), pal[0]);
  Surface& out = result.Pixels;
  if (compression == 1 || compression == 2) {
    DecodeRle(d + pos, n - pos, base + pos, compression == 2, pal, int(w), int(h),
              pixels ? &out : nullptr);
    return result;
  }

  const uint64_t stride = ((uint64_t(w) * bits + 31) / 32) * 4;
  if (stride * uint64_t(h) > n - pos)
    throw DataError("truncated DIB pixel data" + AtByte(base + pos) + " (" +
                    std::to_string(stride * h) + " bytes needed, " + std::to_string(n - pos) +
                    " left)");
  if (!pixels) return result;
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (int row = 0; row < h; ++row) {
    const uint8_t* s = d + pos + stride * uint64_t(row);
    uint32_t* o = out.Row(topDown ? row : h - 1 - row);
    switch (bits) {
      case 1:
        for (int x = 0; x < w; ++x) o[x] = pal[(s[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x < w; ++x) o[x] = pal[x & 1 ? s[x >> 1] & 15 : s[x >> 1] >> 4];
        break;
      case 8:
        for (int x = 0; x < w; ++x) o[x] = pal[s[x]];
        break;
      case 16:
        for (int x = 0; x < w; ++x) {
          uint32_t px = Rd16(s + 2 * x);
          o[x] = 0xFF000000u | (red.Get(px) << 16) | (green.Get(px) << 8) | blue.Get(px);
        }
        break;
      case 24:
        for (int x = 0; x < w; ++x, s += 3)
          o[x] = 0xFF000000u | (uint32_t(s[2]) << 16) | (uint32_t(s[1]) << 8) | s[0];
        break;
      case 32:
        if (compression == 0) {
          for (int x = 0; x < w; ++x) o[x] = 0xFF000000u | (Rd32(s + 4 * x) & 0xFFFFFF);
        } else {
          for (int x = 0; x < w; ++x) {
            uint32_t px = Rd32(s + 4 * x);
            o[x] = 0xFF000000u | (red.Get(px) << 16) | (green.Get(px) << 8) | blue.Get(px);
          }
        }
        break;
    }
  }
  return result;
}

}  // namespace klv
