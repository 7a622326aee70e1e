#pragma once
// Bounds every picture reader keeps to, so that a damaged or hostile data file
// can never make the game allocate without limit.

#include <cstddef>
#include <cstdint>
#include <string>

namespace klv {

constexpr int kMaxPictureSide = 4096;                   // pixels, width and height
constexpr uint64_t kMaxPictureBytes = 64ull << 20;      // one decoded picture, 32-bit pixels
constexpr uint64_t kMaxCollectionBytes = 256ull << 20;  // all pictures of one collection
constexpr int kMaxJpegScans = 64;                       // progressive JPEG passes
constexpr int kMaxFramesPerItem = 65536;

// "at byte N" for messages about a damaged file.
inline std::string AtByte(uint64_t offset) {
  return " at byte " + std::to_string(offset);
}

}  // namespace klv
