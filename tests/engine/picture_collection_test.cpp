// The image list: name lookup, the frame grid made at upload, the colour
// table, and drawing frames onto the back buffer.

#include "engine/picture_collection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/frame_blitter.h"
#include "icf_test_files.h"

namespace klv {
namespace {

using testfiles::CoordinatePicture;

// ---------------------------------------------------------------------------
// Names

TEST(PictureNameHash, FollowsTheRule) {
  struct Case {
    std::string name;
    int hash;
  } cases[] = {
      {"", 0},
      {"A", 16},                         // length 1: no characters added
      {"Kruk", (64 + 'k' + 'u') & 255},  // first and second-to-last, lower case
      {"KRUK", (64 + 'k' + 'u') & 255},
      {"ab", (32 + 'a' + 'a') & 255},  // length 2: the first is also the second-to-last
      {std::string(20, 'z'), (320 + 2 * 'z') & 255},  // wraps to 8 bits
      {"\xD9\xC0", (32 + 0xF9 + 0xF9) & 255},         // code page 1251 capitals
      {"\xA8\xB8", (32 + 0xB8 + 0xB8) & 255},         // Ё and ё
  };
  for (const Case& c : cases) EXPECT_EQ(PictureNameHash(c.name), c.hash) << c.name;
  EXPECT_EQ(PictureNameHash("\xD9\xC0"), PictureNameHash("\xF9\xE0"));
}

TEST(PictureCollectionNames, LookupIgnoresCaseAndNewestWins) {
  PictureCollection c;
  PictureCollectionItem& first = c.Add();
  c.Rename(first, "Kruk");
  PictureCollectionItem& other = c.Add();
  c.Rename(other, "Leska");
  for (const char* n : {"Kruk", "kruk", "KRUK", "kRuK"}) EXPECT_EQ(&c.FindByName(n), &first) << n;

  PictureCollectionItem& second = c.Add();
  c.Rename(second, "KRUK");
  EXPECT_EQ(&c.FindByName("kruk"), &second);
  EXPECT_EQ(&c.FindByName("Leska"), &other);

  // Renamed away, the older one is found again.
  c.Rename(second, "Poplavok");
  EXPECT_EQ(&c.FindByName("Kruk"), &first);
  EXPECT_EQ(&c.FindByName("poplavok"), &second);

  // Cyrillic names compare without regard to case too.
  PictureCollectionItem& cyr = c.Add();
  c.Rename(cyr, "\xD0\xFB\xE1\xE0");  // "Рыба"
  EXPECT_EQ(&c.FindByName("\xF0\xFB\xE1\xE0"), &cyr);
}

TEST(PictureCollectionNames, SameBucketDifferentNames) {
  PictureCollection c;
  PictureCollectionItem& ab = c.Add();
  c.Rename(ab, "ab");
  PictureCollectionItem& ac = c.Add();
  c.Rename(ac, "ac");  // same hash as "ab", head of the chain
  ASSERT_EQ(PictureNameHash("ab"), PictureNameHash("ac"));
  EXPECT_EQ(&c.FindByName("AB"), &ab);
  EXPECT_EQ(&c.FindByName("ac"), &ac);
  EXPECT_EQ(c.TryFindByName("ad"), nullptr);
}

TEST(PictureCollectionNames, ErrorsCarryTheFixedMessages) {
  PictureCollection c;
  c.Rename(c.Add(), "Fish1L");
  try {
    c.FindByName("Fish11L");
    ADD_FAILURE();
  } catch (const KlvError& e) {
    EXPECT_STREQ(e.what(), "Image 'Fish11L' not found");
  }
  EXPECT_EQ(c.Count(), 1);
  EXPECT_NO_THROW(c.ItemAt(0));
  EXPECT_THROW(c.ItemAt(1), KlvError);
  EXPECT_THROW(c.ItemAt(-1), KlvError);
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.TryFindByName("Fish1L"), nullptr);
}

// ---------------------------------------------------------------------------
// Frame grid

struct GridCase {
  const char* name;
  int w, h, pw, ph, sw, sh;
  bool systemMemory;
  int frames;
  std::vector<std::array<int, 3>> origins;  // frame, x, y of its top-left in the picture
};

TEST(PictureCollectionFrames, GridFromPatternsAndSkips) {
  const GridCase cases[] = {
      {"100x40 by 20x20",
       100,
       40,
       20,
       20,
       0,
       0,
       false,
       10,
       {{0, 0, 0}, {4, 80, 0}, {5, 0, 20}, {9, 80, 20}}},
      {"skip width 5", 100, 20, 20, 0, 5, 0, false, 4, {{0, 0, 0}, {1, 25, 0}, {3, 75, 0}}},
      {"no pattern: one frame", 100, 40, 0, 0, 0, 0, false, 1, {{0, 0, 0}}},
      {"pattern equals picture", 30, 30, 30, 30, 4, 4, false, 1, {{0, 0, 0}}},
      {"skips both ways", 50, 50, 10, 10, 10, 10, false, 9, {{4, 20, 20}, {8, 40, 40}}},
      {"wide sheet",
       1200,
       100,
       100,
       100,
       0,
       0,
       false,
       12,
       {{5, 500, 0}, {6, 600, 0}, {11, 1100, 0}}},
      {"large sheet both ways",
       1100,
       1100,
       100,
       100,
       0,
       0,
       false,
       121,
       {{60, 500, 500}, {61, 600, 500}, {120, 1000, 1000}}},
      {"system memory", 1200, 100, 100, 100, 0, 0, true, 12, {{11, 1100, 0}}},
      {"skip leaves a margin", 600, 260, 250, 250, 10, 0, false, 2, {{1, 260, 0}}},
      {"pattern larger than picture", 10, 10, 20, 5, 0, 0, false, 0, {}},
      {"negative skip overlaps", 30, 10, 10, 10, -5, 0, false, 5, {{4, 20, 0}}},
      {"stride of zero", 30, 10, 10, 10, -10, 0, false, 0, {}},
  };
  for (const GridCase& tc : cases) {
    SCOPED_TRACE(tc.name);
    const Surface pic = CoordinatePicture(tc.w, tc.h);
    PictureCollectionItem item;
    item.SetPicture(pic, PictureKind::Dib);
    item.PatternWidth = tc.pw, item.PatternHeight = tc.ph;
    item.SkipWidth = tc.sw, item.SkipHeight = tc.sh;
    item.SystemMemory = tc.systemMemory;
    item.Transparent = false;
    item.Upload();
    EXPECT_TRUE(item.Uploaded());
    ASSERT_EQ(item.FrameTotal(), tc.frames);
    for (const auto& [frame, x, y] : tc.origins) {
      const Rect r = item.FrameSource(frame);
      EXPECT_EQ(r.Width(), item.FrameWidth());
      EXPECT_EQ(r.Height(), item.FrameHeight());
      // Frames are rectangles of the picture itself, never copies.
      const Surface* s = item.FrameSurface(frame);
      ASSERT_EQ(s, &item.Picture());
      EXPECT_EQ(r.Left, x);
      EXPECT_EQ(r.Top, y);
      ASSERT_LE(r.Right, s->Width());
      ASSERT_LE(r.Bottom, s->Height());
      // Top-left and bottom-right pixels name their place in the picture.
      EXPECT_EQ(s->At(r.Left, r.Top), pic.At(x, y)) << frame;
      EXPECT_EQ(s->At(r.Right - 1, r.Bottom - 1), pic.At(x + r.Width() - 1, y + r.Height() - 1));
    }
  }
}

TEST(PictureCollectionFrames, UploadLifecycle) {
  PictureCollectionItem item;
  EXPECT_EQ(item.FrameTotal(), 0);
  item.Upload();  // no picture: nothing happens
  EXPECT_FALSE(item.Uploaded());
  item.SetPicture(CoordinatePicture(40, 20), PictureKind::Dib);
  item.PatternWidth = 20;
  EXPECT_EQ(item.FrameWidth(), 20);
  EXPECT_EQ(item.FrameHeight(), 20);
  EXPECT_FALSE(item.Uploaded());
  item.Upload();
  EXPECT_EQ(item.FrameTotal(), 2);
  item.DropFrames();  // the drawing surface went away
  EXPECT_FALSE(item.Uploaded());
  EXPECT_EQ(item.FrameTotal(), 0);
  item.Upload();  // and came back
  EXPECT_EQ(item.FrameTotal(), 2);
  item.SetPicture(CoordinatePicture(10, 10), PictureKind::Dib);  // a new picture drops frames
  EXPECT_FALSE(item.Uploaded());
}

TEST(PictureCollectionFrames, LoadUploadsOnlyWhenBound) {
  PictureCollection c;
  c.SetBound(false);
  testfiles::DibLayout s = testfiles::Layout(2, 2, 24);
  s.data.assign(16, 7);
  std::vector<uint8_t> file =
      testfiles::FileWith({testfiles::ItemWith("A", IcfWriter::DibData(testfiles::MakeDib(s)))});
  c.LoadFromMemory(file.data(), file.size(), "t.icf");
  EXPECT_FALSE(c.ItemAt(0).Uploaded());
  c.UploadAll();
  EXPECT_EQ(c.ItemAt(0).FrameTotal(), 1);
}

TEST(PictureCollectionColorTable, FixedEntriesThenPaletteColours) {
  PictureCollection c;
  c.BuildColorTable();
  std::array<uint32_t, 256> expected{};
  expected[1] = 0x800000, expected[2] = 0x008000, expected[3] = 0x808000, expected[4] = 0x000080;
  expected[5] = 0x800080, expected[6] = 0x008080, expected[7] = 0xC0C0C0, expected[248] = 0x808080;
  expected[249] = 0xFF0000, expected[250] = 0x00FF00, expected[251] = 0xFFFF00;
  expected[252] = 0x0000FF, expected[253] = 0xFF00FF, expected[254] = 0x00FFFF;
  expected[255] = 0xFFFFFF;
  EXPECT_EQ(c.ColorTable, expected);

  PictureCollectionItem& a = c.Add();
  std::vector<uint32_t> pal(256, 0);
  pal[0] = 0x123456, pal[1] = 0x800000 /* already there */, pal[2] = 0x654321, pal[3] = 0x123456;
  a.SetPalette(pal);
  PictureCollectionItem& b = c.Add();
  std::vector<uint32_t> many;
  for (uint32_t i = 0; i < 300; ++i) many.push_back(0x010000 + i);
  b.SetPalette(many);
  c.BuildColorTable();
  EXPECT_EQ(c.ColorTable[8], 0x123456u);
  EXPECT_EQ(c.ColorTable[9], 0x654321u);
  EXPECT_EQ(c.ColorTable[10], 0x010000u);
  EXPECT_EQ(c.ColorTable[247], 0x010000u + 237);
  EXPECT_EQ(c.ColorTable[248], 0x808080u);  // fixed entries stay
  EXPECT_EQ(c.ColorTable[255], 0xFFFFFFu);
}

// ---------------------------------------------------------------------------
// Drawing

constexpr uint32_t kBack = 0xFF0A0B0C;
constexpr uint32_t kKeyRef = 0xFF00FF;    // 0x00BBGGRR: magenta
constexpr uint32_t kKeyPix = 0xFFFF00FF;  // the same as a pixel

// A keyed 6x4 picture: distinct colours, with key pixels at a few places.
Surface KeyedPicture() {
  Surface s = CoordinatePicture(6, 4);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{3, 1}, std::pair{4, 1}, std::pair{5, 3}})
    s.Set(x, y, kKeyPix);
  return s;
}

PictureCollectionItem& KeyedItem(PictureCollection& c, int patternWidth = 0) {
  PictureCollectionItem& item = c.Add();
  item.SetPicture(KeyedPicture(), PictureKind::Dib);
  item.TransparentColor = kKeyRef;
  item.PatternWidth = patternWidth;
  item.Upload();
  return item;
}

// What a keyed copy of the frame at (x, y) must leave, pixel by pixel.
Surface Expected(const Surface& pic, const Rect& frame, int x, int y, int w, int h, bool keyed) {
  Surface out(w, h, kBack);
  for (int fy = 0; fy < frame.Height(); ++fy)
    for (int fx = 0; fx < frame.Width(); ++fx) {
      const int64_t dx = int64_t(x) + fx, dy = int64_t(y) + fy;
      if (dx < 0 || dy < 0 || dx >= w || dy >= h) continue;
      const uint32_t p = pic.At(frame.Left + fx, frame.Top + fy);
      if (keyed && p == kKeyPix) continue;
      out.Set(int(dx), int(dy), p);
    }
  return out;
}

bool SamePixels(const Surface& a, const Surface& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if ((a.At(x, y) | 0xFF000000u) != (b.At(x, y) | 0xFF000000u)) return false;
  return true;
}

TEST(PictureCollectionDraw, FrameOpaqueOnlyWhenEveryPixelIsDrawn) {
  // Two 4x4 frames side by side; each case spoils the second frame with one
  // pixel that would let the clear colour show through.
  struct Case {
    const char* what;
    PictureKind kind;
    bool transparent;
    uint32_t spoil;
    bool secondOpaque;
  } cases[] = {
      {"keyed, no key pixel", PictureKind::Dib, true, Rgb(1, 2, 3), true},
      {"keyed, one key pixel", PictureKind::Dib, true, kKeyPix, false},
      {"key off: the key colour is drawn", PictureKind::Dib, false, kKeyPix, true},
      {"alpha, one half-transparent pixel", PictureKind::Png, true, 0x80102030u, false},
      {"alpha, all solid", PictureKind::Png, true, 0xFF102030u, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PictureCollection coll;
    PictureCollectionItem& item = coll.Add();
    Surface pic(8, 4, Rgb(10, 20, 30));
    pic.Set(6, 2, c.spoil);
    item.SetPicture(pic, c.kind);
    item.PatternWidth = 4;
    item.PatternHeight = 4;
    item.Transparent = c.transparent;
    item.TransparentColor = kKeyRef;
    EXPECT_FALSE(item.FrameOpaque(0));  // not uploaded yet
    item.Upload();
    EXPECT_TRUE(item.FrameOpaque(0));
    EXPECT_EQ(item.FrameOpaque(1), c.secondOpaque);
    EXPECT_FALSE(item.FrameOpaque(2));  // out of range
  }
}

TEST(PictureCollectionDraw, DrawFrameKeyedAndClippedAtEveryEdge) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c, 3);  // two 3x4 frames
  ASSERT_EQ(item.FrameTotal(), 2);
  const int W = 10, H = 8;
  const std::pair<int, int> places[] = {
      {2, 2},         {-2, 1},        {1, -3},
      {8, 2},         {2, 6},         {-2, -2},
      {8, 6},         {-3, 0},        {10, 0},
      {0, 8},         {-100000, 5},   {2147483600, 0},
      {INT32_MIN, 0}, {0, INT32_MIN}, {INT32_MIN + 2, INT32_MIN + 1}};
  for (int frame : {0, 1}) {
    for (auto [x, y] : places) {
      SCOPED_TRACE("frame " + std::to_string(frame) + " at " + std::to_string(x) + "," +
                   std::to_string(y));
      Surface dest(W, H, kBack);
      item.DrawFrame(&dest, x, y, frame);
      const Rect src = Rect::Bounds(frame * 3, 0, 3, 4);
      EXPECT_TRUE(SamePixels(dest, Expected(KeyedPicture(), src, x, y, W, H, true)));
    }
  }
}

TEST(PictureCollectionDraw, OpaqueAndChangedKey) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c);
  Surface dest(8, 6, kBack);
  item.Transparent = false;  // after upload: the key no longer applies
  item.DrawFrame(&dest, 1, 1, 0);
  EXPECT_TRUE(
      SamePixels(dest, Expected(KeyedPicture(), Rect::Bounds(0, 0, 6, 4), 1, 1, 8, 6, false)));

  item.Transparent = true;
  item.TransparentColor = 0x000000;  // a key no pixel has
  dest.Fill(kBack);
  item.DrawFrame(&dest, 1, 1, 0);
  EXPECT_TRUE(
      SamePixels(dest, Expected(KeyedPicture(), Rect::Bounds(0, 0, 6, 4), 1, 1, 8, 6, false)));
  EXPECT_TRUE(item.FramePixelSolid(0, 0, 0));
}

TEST(PictureCollectionDraw, NothingForBadFramesOrTargets) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c);
  PictureCollectionItem& notUploaded = c.Add();
  notUploaded.SetPicture(KeyedPicture(), PictureKind::Dib);
  const Surface clean(8, 6, kBack);
  for (int frame : {-1, item.FrameTotal(), 1000}) {
    Surface dest = clean;
    item.DrawFrame(&dest, 0, 0, frame);
    item.StretchFrame(&dest, {0, 0, 8, 6}, frame);
    item.BlendFrame(&dest, {0, 0, 8, 6}, frame, 128);
    item.RotateFrame(&dest, 4, 3, 6, 4, frame, 0.5, 0.5, 10);
    EXPECT_TRUE(SamePixels(dest, clean)) << frame;
    EXPECT_FALSE(item.FramePixelSolid(frame, 1, 1));
  }
  Surface dest = clean;
  notUploaded.DrawFrame(&dest, 0, 0, 0);
  notUploaded.StretchFrame(&dest, {0, 0, 8, 6}, 0);
  notUploaded.BlendFrame(&dest, {0, 0, 8, 6}, 0, 255);
  notUploaded.RotateFrame(&dest, 4, 3, 6, 4, 0, 0.5, 0.5, 0);
  EXPECT_TRUE(SamePixels(dest, clean));
  item.DrawFrame(nullptr, 0, 0, 0);
  item.StretchFrame(nullptr, {0, 0, 8, 6}, 0);
  item.BlendFrame(nullptr, {0, 0, 8, 6}, 0, 100);
  item.RotateFrame(nullptr, 0, 0, 6, 4, 0, 0.5, 0.5, 0);
  // Empty and inverted rectangles draw nothing.
  for (Rect r : {Rect{2, 2, 2, 5}, Rect{5, 5, 1, 1}}) {
    item.StretchFrame(&dest, r, 0);
    EXPECT_TRUE(SamePixels(dest, clean));
  }
}

TEST(PictureCollectionDraw, PixelSolidity) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c, 3);
  EXPECT_FALSE(item.FramePixelSolid(0, 0, 0));  // key
  EXPECT_TRUE(item.FramePixelSolid(0, 1, 0));
  EXPECT_FALSE(item.FramePixelSolid(1, 0, 1));  // picture (3, 1) is key
  EXPECT_FALSE(item.FramePixelSolid(1, 2, 3));  // picture (5, 3)
  EXPECT_TRUE(item.FramePixelSolid(1, 2, 2));
  for (auto [x, y] : {std::pair{-1, 0}, std::pair{3, 0}, std::pair{0, 4}, std::pair{0, -1}})
    EXPECT_FALSE(item.FramePixelSolid(0, x, y));
}

TEST(PictureCollectionDraw, StretchDoublesAndKeys) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c);
  Surface dest(14, 10, kBack);
  item.StretchFrame(&dest, {1, 1, 13, 9}, 0);  // 6x4 to 12x8
  const Surface pic = KeyedPicture();
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 14; ++x) {
      uint32_t want = kBack;
      if (x >= 1 && x < 13 && y >= 1 && y < 9) {
        const uint32_t p = pic.At((x - 1) / 2, (y - 1) / 2);
        if (p != kKeyPix) want = p;
      }
      ASSERT_EQ(dest.At(x, y) | 0xFF000000u, want) << x << "," << y;
    }
  // Clipped at the top-left: the visible part is the same as unclipped.
  Surface clipped(14, 10, kBack);
  item.StretchFrame(&clipped, {-5, -3, 7, 5}, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const uint32_t p = pic.At((x + 5) / 2, (y + 3) / 2);
      ASSERT_EQ(clipped.At(x, y) | 0xFF000000u, p == kKeyPix ? kBack : p) << x << "," << y;
    }
  EXPECT_EQ(clipped.At(7, 0), kBack);
}

TEST(PictureCollectionDraw, BlendAlphaLimits) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c);
  const Rect r{2, 1, 14, 9};
  Surface plain(16, 10, kBack);
  item.StretchFrame(&plain, r, 0);
  for (int alpha : {255, 256, 1000}) {
    Surface dest(16, 10, kBack);
    item.BlendFrame(&dest, r, 0, alpha);
    EXPECT_TRUE(SamePixels(dest, plain)) << alpha;
  }
  for (int alpha : {0, -1, -300}) {
    Surface dest(16, 10, kBack);
    item.BlendFrame(&dest, r, 0, alpha);
    EXPECT_TRUE(SamePixels(dest, Surface(16, 10, kBack))) << alpha;
  }
  Surface dest(16, 10, kBack);
  item.BlendFrame(&dest, r, 0, 200);
  // (4, 1) shows picture (1, 0): mixed 200/255 with the background.
  const uint32_t src = KeyedPicture().At(1, 0);
  for (int sh : {0, 8, 16}) {
    const double want = (((src >> sh) & 255) * 200.0 + ((kBack >> sh) & 255) * 55.0) / 255.0;
    EXPECT_NEAR(double((dest.At(4, 1) >> sh) & 255), want, 0.51);
  }
  EXPECT_EQ(dest.At(2, 1), kBack);  // picture (0, 0) is key: untouched
}

TEST(PictureCollectionDraw, AlphaPicturesMix) {
  PictureCollection c;
  PictureCollectionItem& item = c.Add();
  Surface pic(3, 1);
  pic.Set(0, 0, 0x00FFFFFF);
  pic.Set(1, 0, 0x80FF0000);
  pic.Set(2, 0, 0xFF00FF00);
  item.SetPicture(pic, PictureKind::Png);
  item.Upload();
  Surface dest(3, 1, Rgb(0, 0, 200));
  item.DrawFrame(&dest, 0, 0, 0);
  EXPECT_EQ(dest.At(0, 0) & 0xFFFFFF, 0x0000C8u);  // alpha 0: untouched
  EXPECT_EQ(dest.At(1, 0) & 0xFFFFFF, 0x800064u);  // half red over blue
  EXPECT_EQ(dest.At(2, 0) & 0xFFFFFF, 0x00FF00u);
  EXPECT_FALSE(item.FramePixelSolid(0, 0, 0));
  EXPECT_TRUE(item.FramePixelSolid(0, 1, 0));
  // The same through the pixel-by-pixel path (stretch at scale 1).
  Surface viaStretch(3, 1, Rgb(0, 0, 200));
  item.StretchFrame(&viaStretch, {0, 0, 3, 1}, 0);
  EXPECT_TRUE(SamePixels(dest, viaStretch));
}

// Blended runs are mixed four pixels at a time. A drawn picture whose rows
// hold every alpha from 1 to 254 must come out as mixing one pixel at a time
// gives, and so must runs of every length up to 9 at every offset into a row.
TEST(PictureCollectionDraw, BlendedRunsMixAsPixelByPixel) {
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  const int w = 254 + 9, h = 4;
  Surface pic(w, h), back(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Row 0 walks through every blending alpha; the others are random,
      // with fully clear and fully solid pixels breaking the runs up.
      const uint32_t r = next();
      uint32_t alpha = y == 0 ? 1 + x % 254 : (r >> 24);
      if (y == 3 && x % 7 == 3) alpha = (x % 2) ? 0 : 255;
      pic.Set(x, y, (alpha << 24) | (next() & 0xFFFFFF));
      back.Set(x, y, next() | 0xFF000000u);
    }
  PictureCollection c;
  PictureCollectionItem& item = c.Add();
  item.SetPicture(pic, PictureKind::Png);
  item.Upload();
  Surface drawn = back, stretched = back;
  item.DrawFrame(&drawn, 0, 0, 0);
  item.StretchFrame(&stretched, {0, 0, w, h}, 0);
  EXPECT_TRUE(SamePixels(drawn, stretched));

  for (int n = 0; n <= 9; ++n)
    for (int at = 0; at < 4; ++at) {
      std::vector<uint32_t> dest(back.Row(1) + at, back.Row(1) + at + n);
      std::vector<uint32_t> want = dest;
      const uint32_t* src = pic.Row(0) + 100 + at;
      for (int i = 0; i < n; ++i) want[i] = FrameBlitter::Mix(want[i], src[i], src[i] >> 24);
      FrameBlitter::MixRun(dest.data(), src, n);
      EXPECT_EQ(dest, want) << "length " << n << " at " << at;
    }
}

TEST(PictureCollectionDraw, RotateZeroEqualsDraw) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c);
  Surface rotated(12, 10, kBack), drawn(12, 10, kBack);
  item.RotateFrame(&rotated, 5, 4, 6, 4, 0, 0.5, 0.5, 0);
  item.DrawFrame(&drawn, 2, 2, 0);
  EXPECT_TRUE(SamePixels(rotated, drawn));
  Surface full(12, 10, kBack);
  item.RotateFrame(&full, 5, 4, 6, 4, 0, 0.5, 0.5, 256);  // a whole turn
  EXPECT_TRUE(SamePixels(full, drawn));
}

TEST(PictureCollectionDraw, RotateQuarterTurnClockwise) {
  PictureCollection c;
  PictureCollectionItem& item = c.Add();
  item.SetPicture(CoordinatePicture(4, 2), PictureKind::Dib);
  item.Transparent = false;
  item.Upload();
  Surface dest(20, 20, kBack);
  item.RotateFrame(&dest, 10, 10, 4, 2, 0, 0.5, 0.5, 64);
  // The right end turns down: screen (px, py) shows picture (py - 8, 10 - px).
  for (int py = 0; py < 20; ++py)
    for (int px = 0; px < 20; ++px) {
      const bool inside = px >= 9 && px < 11 && py >= 8 && py < 12;
      const uint32_t want = inside ? CoordinatePicture(4, 2).At(py - 8, 10 - px) : kBack;
      ASSERT_EQ(dest.At(px, py) | 0xFF000000u, want) << px << "," << py;
    }
}

TEST(PictureCollectionDraw, RotatedFishHasNoHolesAndNoKeyColour) {
  PictureCollection c;
  PictureCollectionItem& item = c.Add();
  Surface pic(40, 20, kKeyPix);
  pic.FillRect(2, 2, 36, 16, Rgb(30, 200, 90));  // a body inside a keyed border
  item.SetPicture(pic, PictureKind::Dib);
  item.TransparentColor = kKeyRef;
  item.Upload();
  for (int angle : {5, 37, 64, 100, 200, -20}) {
    SCOPED_TRACE(angle);
    Surface dest(80, 80, kBack);
    item.RotateFrame(&dest, 40, 40, 40, 20, 0, 0.5, 0.5, angle);
    // Positive angles turn clockwise on the screen.
    const double t = -angle * 2 * M_PI / 256, co = std::cos(t), si = std::sin(t);
    for (int py = 0; py < 80; ++py)
      for (int px = 0; px < 80; ++px) {
        const uint32_t got = dest.At(px, py) | 0xFF000000u;
        // The key colour never shows, not even mixed towards it at edges.
        ASSERT_NE(got, kKeyPix);
        const double dx = px + 0.5 - 40, dy = py + 0.5 - 40;
        const double u = dx * co - dy * si, v = dx * si + dy * co;  // back into the picture
        if (std::fabs(u) < 18 - 1.5 && std::fabs(v) < 8 - 1.5) {
          ASSERT_EQ(got, Rgb(30, 200, 90)) << px << "," << py;  // no holes inside
        }
        if (std::fabs(u) > 20 + 1.5 || std::fabs(v) > 10 + 1.5) {
          ASSERT_EQ(got, kBack) << px << "," << py;
        }
      }
  }
}

TEST(PictureCollectionDraw, RotateClipsAtEdges) {
  PictureCollection c;
  PictureCollectionItem& item = KeyedItem(c);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{9, 7}, std::pair{-2, 3}, std::pair{12, 3}}) {
    Surface dest(10, 8, kBack);
    item.RotateFrame(&dest, x, y, 60, 40, 0, 0.5, 0.5, 30);
    int drawn = 0;
    for (int py = 0; py < 8; ++py)
      for (int px = 0; px < 10; ++px) drawn += dest.At(px, py) != kBack;
    EXPECT_GT(drawn, 0) << x << "," << y;
  }
  Surface dest(10, 8, kBack);
  item.RotateFrame(&dest, 500, 500, 6, 4, 0, 0.5, 0.5, 30);
  item.RotateFrame(&dest, 5, 5, 0, 4, 0, 0.5, 0.5, 30);
  item.RotateFrame(&dest, 5, 5, 6, 4, 0, NAN, 0.5, 30);
  EXPECT_TRUE(SamePixels(dest, Surface(10, 8, kBack)));
}

}  // namespace
}  // namespace klv
