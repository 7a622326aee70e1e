#include "engine/surface.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>

#include "engine/pixel_memory.h"

namespace klv {

TEST(Surface, FillRectClipsToEveryEdge) {
  struct Case {
    int x, y, w, h;
    int expectedPainted;
  } cases[] = {
      {-2, -2, 4, 4, 4},  // top-left corner: 2x2 inside
      {3, 3, 4, 4, 4},    // bottom-right corner of a 5x5
      {0, 0, 0, 3, 0},    // empty
      {5, 0, 2, 2, 0},    // wholly right of the surface
      {-1, 1, 7, 1, 5},   // wider than the surface
  };
  for (const auto& c : cases) {
    Surface s(5, 5, 0);
    s.FillRect(c.x, c.y, c.w, c.h, 7);
    int painted = 0;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) painted += s.At(x, y) == 7;
    EXPECT_EQ(painted, c.expectedPainted) << c.x << "," << c.y << " " << c.w << "x" << c.h;
  }
}

// A large picture's own memory starts on a 2 MB boundary and covers exactly
// the 2 MB pieces it needs: it can be written whole, freeing one block leaves
// its neighbour whole, and nothing of a freed block stays mapped.
TEST(PictureMemory, LargePicturesGetWholeAlignedPiecesAndGiveThemBack) {
  constexpr std::size_t kPiece = std::size_t(2) << 20;
  // Pages of the range that are mapped: msync fails (ENOMEM) on one that is not.
  const auto mappedPages = [](const uint8_t* p, std::size_t bytes) {
    std::size_t n = 0;
    for (std::size_t at = 0; at < bytes; at += 4096)
      n += msync(const_cast<uint8_t*>(p) + at, 4096, MS_ASYNC) == 0;
    return n;
  };
  for (const std::size_t bytes : {kLargePictureBytes, std::size_t(800 * 600 * 4), kPiece,
                                  kPiece + 1, std::size_t(1920 * 1080 * 4)}) {
    SCOPED_TRACE(bytes);
    const std::size_t whole = (bytes + kPiece - 1) / kPiece * kPiece;
    auto* a = static_cast<uint8_t*>(MapPictureMemory(bytes));
    auto* b = static_cast<uint8_t*>(MapPictureMemory(bytes));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % kPiece, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b) % kPiece, 0u);
    std::memset(a, 0x5A, whole);
    std::memset(b, 0xA5, whole);
    UnmapPictureMemory(a, bytes);
    EXPECT_EQ(mappedPages(a, whole), 0u);
    EXPECT_EQ(mappedPages(b, whole), whole / 4096);
    EXPECT_EQ(b[0], 0xA5);
    EXPECT_EQ(b[whole - 1], 0xA5);
    UnmapPictureMemory(b, bytes);
    EXPECT_EQ(mappedPages(b, whole), 0u);
  }
  // A whole screen drawn through a surface, small and large alike.
  for (const auto& [w, h] : {std::pair{16, 16}, std::pair{800, 600}, std::pair{1920, 1080}}) {
    Surface s(w, h, 0xFF000000u);
    s.FillRect(0, 0, w, h, 7);
    EXPECT_EQ(s.At(w - 1, h - 1), 7u);
    Surface t;
    t.SwapPixels(s);
    EXPECT_EQ(t.At(0, 0), 7u);
    EXPECT_TRUE(s.Empty());
  }
}

}  // namespace klv
