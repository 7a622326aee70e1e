// Reading image-collection files: every bitmap variant, JPEG and PNG
// pictures, the stream's optional parts, and damaged files.

#include "engine/icf_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>
// clang-format off
#include <jpeglib.h>  // after <cstdio>: it needs FILE
// clang-format on

#include "engine/dib_encoder.h"
#include "engine/errors.h"
#include "engine/icf_writer.h"
#include "engine/jpeg_codec.h"
#include "engine/picture_collection.h"
#include "engine/png_codec.h"
#include "icf_test_files.h"

namespace klv {
namespace {

using namespace testfiles;

constexpr uint32_t kOpaque = 0xFF000000u;

// Loads a file holding the one bitmap and returns its picture.
Surface LoadDib(const std::vector<uint8_t>& dib) {
  std::vector<uint8_t> file = FileWith({ItemWith("Pic", IcfWriter::DibData(dib))});
  PictureCollection c;
  c.LoadFromMemory(file.data(), file.size(), "test.icf");
  return c.ItemAt(0).Picture();
}

std::vector<uint32_t> PixelsOf(const Surface& s) {
  return std::vector<uint32_t>(s.Pixels(), s.Pixels() + size_t(s.Width()) * s.Height());
}

struct DibCase {
  const char* name;
  DibLayout layout;
  int width, height;
  std::vector<uint32_t> expected;  // rows top-down, 0x00RRGGBB (made opaque)
};

const uint32_t c0 = 0x102030, c1 = 0x405060, c2 = 0x708090, c3 = 0xA0B0C0;

std::vector<DibCase> DibCases() {
  std::vector<DibCase> cases;
  auto add = [&](const char* name, DibLayout s, int w, int h, std::vector<uint32_t> e) {
    cases.push_back({name, std::move(s), w, h, std::move(e)});
  };
  {  // 1 bit, bottom-up, rows padded to 4 bytes, table size from the depth
    DibLayout s = Layout(3, 2, 1);
    s.palette = {0x000000, 0xFFFFFF};
    s.data = {0xA0, 0, 0, 0, 0x60, 0, 0, 0};
    add("1bit", s, 3, 2, {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF});
  }
  {  // 4 bits with a used-colour count of 3: index 5 is past the table, black
    DibLayout s = Layout(3, 1, 4);
    s.colorsUsed = 3;
    s.palette = {c0, c1, c2};
    s.data = {0x25, 0x00, 0, 0};
    add("4bit_short_table", s, 3, 1, {c2, 0x000000, c0});
  }
  {  // 8 bits top-down (negative height)
    DibLayout s = Layout(2, -2, 8);
    s.colorsUsed = 2;
    s.palette = {c0, c1};
    s.data = {1, 0, 0, 0, 0, 1, 0, 0};
    add("8bit_top_down", s, 2, 2, {c1, c0, c0, c1});
  }
  {  // 16 bits, default 5-5-5
    DibLayout s = Layout(2, 1, 16);
    s.data = {0x00, 0x7C, 0x1F, 0x00};
    add("16bit_555", s, 2, 1, {0xFF0000, 0x0000FF});
  }
  {  // 16 bits with masks 5-6-5 (compression 3)
    DibLayout s = Layout(2, 1, 16, 3);
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.data = {0xE0, 0x07, 0x00, 0xF8};
    add("16bit_565_masks", s, 2, 1, {0x00FF00, 0xFF0000});
  }
  {  // 24 bits, rows of 9 bytes padded to 12
    DibLayout s = Layout(3, 2, 24);
    s.data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    add("24bit", s, 3, 2, {0x0C0B0A, 0x0F0E0D, 0x121110, 0x030201, 0x060504, 0x090807});
  }
  {  // 32 bits: the fourth byte is not alpha
    DibLayout s = Layout(2, 1, 32);
    s.data = {0x10, 0x20, 0x30, 0x99, 0x40, 0x50, 0x60, 0x00};
    add("32bit", s, 2, 1, {0x302010, 0x605040});
  }
  {  // 32 bits with masks in red-green-blue byte order
    DibLayout s = Layout(1, 1, 32, 3);
    s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    s.data = {0x11, 0x22, 0x33, 0x00};
    add("32bit_masks", s, 1, 1, {0x112233});
  }
  {  // 12-byte core header, 3-byte table entries
    DibLayout s = Layout(2, 1, 1);
    s.core = true;
    s.palette = {c0, c1};
    s.data = {0x80, 0, 0, 0};
    add("core_1bit", s, 2, 1, {c1, c0});
  }
  {  // core header, 24 bits
    DibLayout s = Layout(1, 1, 24);
    s.core = true;
    s.data = {1, 2, 3, 0};
    add("core_24bit", s, 1, 1, {0x030201});
  }
  {  // RLE8: run, literal with pad, end of line, delta, end of picture;
     // pixels no run reaches keep index 0
    DibLayout s = Layout(4, 3, 8, 1);
    s.colorsUsed = 4;
    s.palette = {c0, c1, c2, c3};
    s.data = {3, 1, 0, 0,               // bottom row: 1 1 1 .
              0, 3, 2, 3, 1, 0, 0, 0,   // middle: literal 2 3 1 (+pad) .
              0, 2, 2, 0, 2, 3, 0, 1};  // top: skip 2, then 3 3
    add("rle8", s, 4, 3, {c0, c0, c3, c3, c2, c3, c1, c0, c1, c1, c1, c0});
  }
  {  // RLE8 delta up a row
    DibLayout s = Layout(3, 2, 8, 1);
    s.colorsUsed = 3;
    s.palette = {c0, c1, c2};
    s.data = {0, 2, 1, 1, 1, 2, 0, 1};
    add("rle8_delta_up", s, 3, 2, {c0, c2, c0, c0, c0, c0});
  }
  {  // RLE8 run past the right edge is cut; data ends without end of picture
    DibLayout s = Layout(2, 1, 8, 1);
    s.colorsUsed = 2;
    s.palette = {c0, c1};
    s.data = {5, 1};
    add("rle8_clipped", s, 2, 1, {c1, c1});
  }
  {  // RLE8 delta and runs beyond the top are dropped
    DibLayout s = Layout(2, 1, 8, 1);
    s.colorsUsed = 2;
    s.palette = {c0, c1};
    s.data = {0, 2, 0, 5, 2, 1, 0, 0, 2, 1, 0, 1};
    add("rle8_off_top", s, 2, 1, {c0, c0});
  }
  {  // RLE4: a run alternates nibbles; a literal run past the edge is cut
    DibLayout s = Layout(5, 1, 4, 2);
    s.colorsUsed = 4;
    s.palette = {c0, c1, c2, c3};
    s.data = {3, 0x12, 0, 3, 0x32, 0x10, 0, 1};
    add("rle4", s, 5, 1, {c1, c2, c1, c3, c2});
  }
  {  // RLE4 delta and end of line
    DibLayout s = Layout(4, 2, 4, 2);
    s.colorsUsed = 4;
    s.palette = {c0, c1, c2, c3};
    s.data = {0, 2, 1, 0, 2, 0x33, 0, 0, 4, 0x21, 0, 1};
    add("rle4_delta_eol", s, 4, 2, {c2, c1, c2, c1, c0, c3, c3, c0});
  }
  return cases;
}

TEST(IcfReaderDib, DecodesEveryVariant) {
  for (const DibCase& tc : DibCases()) {
    SCOPED_TRACE(tc.name);
    Surface pic;
    ASSERT_NO_THROW(pic = LoadDib(MakeDib(tc.layout)));
    ASSERT_EQ(pic.Width(), tc.width);
    ASSERT_EQ(pic.Height(), tc.height);
    std::vector<uint32_t> expected;
    for (uint32_t c : tc.expected) expected.push_back(kOpaque | c);
    EXPECT_EQ(PixelsOf(pic), expected);
  }
}

TEST(IcfReaderDib, KindAndPaletteAreKept) {
  DibLayout s = Layout(2, 1, 8);
  s.colorsUsed = 2;
  s.palette = {c2, c3};
  s.data = {0, 1, 0, 0};
  std::vector<uint8_t> file = FileWith({ItemWith("Pic", IcfWriter::DibData(MakeDib(s)))});
  PictureCollection c;
  c.LoadFromMemory(file.data(), file.size(), "t.icf");
  const PictureCollectionItem& item = c.ItemAt(0);
  EXPECT_EQ(item.Kind(), PictureKind::Dib);
  EXPECT_EQ(item.StoredKind(), "TDIB8");
  ASSERT_EQ(item.Palette().size(), 256u);
  EXPECT_EQ(item.Palette()[0], c2);
  EXPECT_EQ(item.Palette()[1], c3);
  EXPECT_EQ(item.Palette()[2], 0u);
}

TEST(IcfReaderDib, EncoderOutputReadsBack) {
  // Flat areas take the RLE8 form, noise the plain form; both read back exact.
  const int w = 37, h = 5;
  std::vector<uint32_t> palette = {c0, c1, c2, c3};
  std::vector<uint8_t> flat(w * h), noisy(w * h);
  for (int i = 0; i < w * h; ++i) {
    flat[size_t(i)] = uint8_t((i / 7) % 2 ? 1 : 3);
    noisy[size_t(i)] = uint8_t((i * 7 + i / 3) % 4);
  }
  for (const auto* idx : {&flat, &noisy}) {
    std::vector<uint8_t> dib = DibEncoder::EncodeIndexed8(w, h, palette, *idx, true);
    const uint32_t compression = dib[16];
    EXPECT_EQ(compression, idx == &flat ? 1u : 0u);
    Surface pic = LoadDib(dib);
    for (int i = 0; i < w * h; ++i)
      ASSERT_EQ(pic.Pixels()[i], kOpaque | palette[(*idx)[size_t(i)]]) << i;
  }
  Surface rgb = CoordinatePicture(5, 3);
  for (int bits : {24, 32})
    EXPECT_EQ(PixelsOf(LoadDib(DibEncoder::EncodeTrueColor(rgb, bits))), PixelsOf(rgb));
}

TEST(IcfReaderPictures, JpegDecodesCloseToTheSource) {
  Surface src(32, 16, Rgb(200, 30, 40));
  src.FillRect(16, 0, 16, 16, Rgb(20, 180, 60));
  std::vector<uint8_t> file = FileWith(
      {ItemWith("Photo", IcfWriter::EmbeddedFileData("TJPEGImage", JpegCodec::Encode(src, 90)))});
  PictureCollection c;
  c.LoadFromMemory(file.data(), file.size(), "t.icf");
  const PictureCollectionItem& item = c.ItemAt(0);
  EXPECT_EQ(item.Kind(), PictureKind::Jpeg);
  ASSERT_EQ(item.Picture().Width(), 32);
  ASSERT_EQ(item.Picture().Height(), 16);
  for (auto [x, y] : {std::pair{4, 8}, std::pair{27, 8}}) {
    const uint32_t got = item.Picture().At(x, y), want = src.At(x, y);
    EXPECT_EQ(got >> 24, 0xFFu);
    for (int sh : {0, 8, 16}) EXPECT_NEAR(int((got >> sh) & 255), int((want >> sh) & 255), 8);
  }
}

TEST(IcfReaderPictures, PngKeepsAlpha) {
  Surface src(3, 1);
  src.Set(0, 0, 0x00112233);
  src.Set(1, 0, 0x80445566);
  src.Set(2, 0, 0xFF778899);
  std::vector<uint8_t> file =
      FileWith({ItemWith("Fish", IcfWriter::EmbeddedFileData("TPNGImage", PngCodec::Encode(src)))});
  PictureCollection c;
  c.LoadFromMemory(file.data(), file.size(), "t.icf");
  const PictureCollectionItem& item = c.ItemAt(0);
  EXPECT_EQ(item.Kind(), PictureKind::Png);
  EXPECT_EQ(item.StoredKind(), "TPNGImage");
  EXPECT_EQ(item.Picture().At(1, 0), 0x80445566u);
  EXPECT_EQ(item.Picture().At(2, 0), 0xFF778899u);
  EXPECT_EQ(item.Picture().At(0, 0) >> 24, 0u);
}

// A progressive 8x8 grey JPEG in single-band scans: the DC in one scan (two
// with a refinement pass), then one scan for each of the 63 AC bands.
std::vector<uint8_t> ManyScanJpeg(bool refineDc) {
  jpeg_compress_struct ci;
  jpeg_error_mgr err;
  ci.err = jpeg_std_error(&err);
  jpeg_create_compress(&ci);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&ci, &out, &size);
  ci.image_width = 8, ci.image_height = 8, ci.input_components = 1;
  ci.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&ci);
  std::vector<jpeg_scan_info> scans;
  scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, refineDc ? 1 : 0});
  if (refineDc) scans.push_back({1, {0, 0, 0, 0}, 0, 0, 1, 0});
  for (int k = 1; k <= 63; ++k) scans.push_back({1, {0, 0, 0, 0}, k, k, 0, 0});
  ci.scan_info = scans.data();
  ci.num_scans = int(scans.size());
  jpeg_start_compress(&ci, TRUE);
  unsigned char row[8];
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) row[x] = uint8_t(x * 30 + y * 3);
    JSAMPROW r = row;
    jpeg_write_scanlines(&ci, &r, 1);
  }
  jpeg_finish_compress(&ci);
  jpeg_destroy_compress(&ci);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

// Large pictures are checked when the file is read but decoded only when first
// drawn; what they draw is what the same picture set directly draws.
TEST(IcfReaderPictures, LargePicturesAreDecodedWhenFirstDrawn) {
  Surface keyed = CoordinatePicture(300, 240);
  keyed.FillRect(10, 10, 60, 50, 0xFFFF00FFu);  // colour key, so frames have runs
  Surface soft(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      soft.Set(x, y, (uint32_t((x + y) & 255) << 24) | uint32_t(x << 16) | uint32_t(y << 8) | 90u);
  std::vector<uint8_t> runs(300 * 240);  // flat stretches: the run-length form
  for (size_t i = 0; i < runs.size(); ++i) runs[i] = uint8_t((i / 13) % 4);
  std::vector<IcfItem> items = {
      ItemWith("Sheet", IcfWriter::DibData(DibEncoder::EncodeTrueColor(keyed, 32))),
      ItemWith("Photo", IcfWriter::EmbeddedFileData("TJPEGImage", JpegCodec::Encode(keyed, 80))),
      ItemWith("Glass", IcfWriter::EmbeddedFileData("TPNGImage", PngCodec::Encode(soft))),
      ItemWith("Runs", IcfWriter::DibData(
                           DibEncoder::EncodeIndexed8(300, 240, {c0, c1, c2, c3}, runs, true))),
      ItemWith("Small",
               IcfWriter::DibData(DibEncoder::EncodeTrueColor(CoordinatePicture(9, 7), 24))),
  };
  items[0].PatternWidth = 100, items[0].PatternHeight = 80;
  items[0].TransparentColor = 0xFF00FF;
  items[1].Transparent = false;
  items[2].PatternWidth = 128;
  const std::vector<uint8_t> file = FileWith(items);
  PictureCollection lazy, eager;
  lazy.LoadFromMemory(file.data(), file.size(), "lazy.icf");
  eager.LoadFromMemory(file.data(), file.size(), "eager.icf");
  const struct {
    int frames, width, height;
    bool storedAtFirst;
  } want[] = {{9, 100, 80, true},
              {1, 300, 240, true},
              {2, 128, 256, true},
              {1, 300, 240, true},
              {1, 9, 7, false}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(items[size_t(i)].Name);
    const PictureCollectionItem& item = lazy.ItemAt(i);
    EXPECT_EQ(item.Decoded(), !want[i].storedAtFirst);
    EXPECT_TRUE(item.HasPicture());
    EXPECT_TRUE(item.Uploaded());
    EXPECT_EQ(item.FrameTotal(), want[i].frames);
    EXPECT_EQ(item.FrameWidth(), want[i].width);
    EXPECT_EQ(item.FrameHeight(), want[i].height);
    // The same pixels set directly, as a reference.
    PictureCollectionItem direct;
    direct.SetPicture(eager.ItemAt(i).Picture(), item.Kind());
    direct.PatternWidth = item.PatternWidth, direct.PatternHeight = item.PatternHeight;
    direct.Transparent = item.Transparent, direct.TransparentColor = item.TransparentColor;
    direct.Upload();
    for (int frame = 0; frame < item.FrameTotal(); ++frame) {
      Surface a(160, 120, 0xFF336699u), b(160, 120, 0xFF336699u);
      item.DrawFrame(&a, 7, 5, frame);
      direct.DrawFrame(&b, 7, 5, frame);
      ASSERT_EQ(PixelsOf(a), PixelsOf(b)) << frame;
      item.BlendFrame(&a, Rect::Bounds(3, 2, 90, 70), frame, 140);
      direct.BlendFrame(&b, Rect::Bounds(3, 2, 90, 70), frame, 140);
      ASSERT_EQ(PixelsOf(a), PixelsOf(b)) << frame;
    }
    EXPECT_TRUE(item.Decoded());
    EXPECT_EQ(PixelsOf(item.Picture()), PixelsOf(direct.Picture()));
  }
}

TEST(IcfReaderPictures, JpegScansAreCapped) {
  for (bool refine : {false, true}) {  // 64 scans, then 65
    SCOPED_TRACE(refine);
    std::vector<uint8_t> file = FileWith(
        {ItemWith("Many", IcfWriter::EmbeddedFileData("TJPEGImage", ManyScanJpeg(refine)))});
    PictureCollection c;
    if (!refine) {
      ASSERT_NO_THROW(c.LoadFromMemory(file.data(), file.size(), "scans.icf"));
      EXPECT_EQ(c.ItemAt(0).Picture().Width(), 8);
      EXPECT_NEAR(int(c.ItemAt(0).Picture().At(7, 0) & 255), 210, 8);
      continue;
    }
    try {
      c.LoadFromMemory(file.data(), file.size(), "scans.icf");
      ADD_FAILURE() << "no error";
    } catch (const DataError& e) {
      EXPECT_NE(std::string(e.what()).find("JPEG has more than 64 scans"), std::string::npos)
          << e.what();
    }
  }
}

// The stream's optional and alternative forms, written by hand.
TEST(IcfReaderStream, ReadsOptionalParts) {
  DibLayout s = Layout(1, 1, 24);
  s.data = {1, 2, 3, 0};
  const std::vector<uint8_t> pic = IcfWriter::DibData(MakeDib(s));
  IcfWriter w;
  for (char ch : std::string("TPF0")) w.Byte(uint8_t(ch));
  w.Byte(0xF2);  // filer flags with a child position
  w.IntValue(7);
  w.ShortString("TPictureCollectionComponent");
  w.ShortString("");
  w.ShortString("List");
  w.Byte(14);
  // Item 0: index as a 32-bit value, properties out of order, long-string
  // name, colour by identifier, Transparent false.
  w.Byte(4);
  w.U32(0);
  w.Byte(1);
  w.ShortString("TransparentColor");
  w.IdentValue("clFuchsia");
  w.ShortString("Picture.Data");
  w.BinaryValue(pic);
  w.ShortString("Name");
  w.Byte(12);
  w.U32(4);
  for (char ch : std::string("Kruk")) w.Byte(uint8_t(ch));
  w.ShortString("Transparent");
  w.BoolValue(false);
  w.ShortString("PatternWidth");
  w.Byte(3);
  w.U16(1);
  w.Byte(0);
  // Item 1: 8-bit index, empty picture, system memory, negative skip.
  w.Byte(2);
  w.Byte(1);
  w.Byte(1);
  w.ShortString("Name");
  w.StringValue("Empty");
  w.ShortString("Picture.Data");
  w.BinaryValue({});
  w.ShortString("SystemMemory");
  w.BoolValue(true);
  w.ShortString("SkipHeight");
  w.IntValue(-3);
  w.Byte(0);
  w.Byte(0);  // end of collection
  w.ShortString("List.ColorTable");
  std::vector<uint8_t> table(1024, 0);
  table[4] = 0x33, table[5] = 0x22, table[6] = 0x11;
  w.BinaryValue(table);
  w.Byte(0);
  w.Byte(0);
  std::vector<uint8_t> file = IcfWriter::ResourceHeader(uint32_t(w.Data().size()));
  file.insert(file.end(), w.Data().begin(), w.Data().end());

  PictureCollection c;
  ASSERT_NO_THROW(c.LoadFromMemory(file.data(), file.size(), "hand.icf"));
  ASSERT_EQ(c.Count(), 2);
  const PictureCollectionItem& a = c.ItemAt(0);
  EXPECT_EQ(a.Name, "Kruk");
  EXPECT_EQ(a.TransparentColor, 0xFF00FFu);
  EXPECT_FALSE(a.Transparent);
  EXPECT_EQ(a.PatternWidth, 1);
  EXPECT_EQ(a.Picture().At(0, 0), 0xFF030201u);
  const PictureCollectionItem& b = c.ItemAt(1);
  EXPECT_EQ(b.Name, "Empty");
  EXPECT_FALSE(b.HasPicture());
  EXPECT_TRUE(b.SystemMemory);
  EXPECT_EQ(b.SkipHeight, -3);
  EXPECT_TRUE(b.Transparent);
  EXPECT_EQ(c.ColorTable[1], 0x112233u);
  EXPECT_EQ(&c.FindByName("kruk"), &a);
}

// ---------------------------------------------------------------------------
// Damaged files: each gives a DataError naming the file and the fault.

std::vector<uint8_t> GoodFile() {
  DibLayout s = Layout(2, 2, 8);
  s.colorsUsed = 2;
  s.palette = {c0, c1};
  s.data = {0, 1, 0, 0, 1, 0, 0, 0};
  IcfItem item = ItemWith("Kruk", IcfWriter::DibData(MakeDib(s)));
  item.PatternWidth = 1;
  return FileWith({item, ItemWith("Empty", {})});
}

std::vector<uint8_t> WithPicture(const std::vector<uint8_t>& pictureData) {
  return FileWith({ItemWith("Bad", pictureData)});
}

std::vector<uint8_t> Replace(std::vector<uint8_t> file, const std::string& from,
                             const std::string& to) {
  std::string s(file.begin(), file.end());
  size_t at = s.find(from);
  if (at == std::string::npos)
    ADD_FAILURE() << "no " << from;
  else
    s.replace(at, from.size(), to);
  return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> Dib24(int32_t w, int32_t h, size_t dataBytes) {
  DibLayout s = Layout(w, h, 24);
  s.data.assign(dataBytes, 0);
  return IcfWriter::DibData(MakeDib(s));
}

struct DamagedCase {
  const char* name;
  std::vector<uint8_t> file;
  std::string message;  // after "bad.icf: "
  bool exact;           // the whole message, else a part of it
};

std::vector<DamagedCase> DamagedCases() {
  std::vector<DamagedCase> cases;
  const std::vector<uint8_t> good = GoodFile();
  auto add = [&](const char* name, std::vector<uint8_t> file, std::string msg, bool exact) {
    cases.push_back({name, std::move(file), std::move(msg), exact});
  };
  add("empty", {}, "Invalid stream format", true);
  std::vector<uint8_t> f = good;
  f[0] = 0xFE;
  add("not_a_resource", f, "Invalid stream format", true);
  f = good;
  f[1] = 11;
  add("resource_type", f, "Invalid stream format", true);
  add("unterminated_name", {0xFF, 10, 0, 'A', 'B'}, "Invalid stream format", true);
  add("signature", Replace(good, "TPF0", "TPF1"), "Invalid stream format", true);
  add("class", Replace(good, "TPictureCollectionComponent", "TPictureCollectionComp0nent"),
      "unexpected object class 'TPictureCollectionComp0nent' at byte", false);
  add("unknown_property", Replace(good, "PatternWidth", "PatternWidtx"),
      "unknown property 'PatternWidtx' at byte", false);
  add("colour_table_size",
      Replace(good, std::string("List.ColorTable\x0a\x00\x04", 18),
              std::string("List.ColorTable\x0a\xff\x03", 18)),
      "List.ColorTable is not 1024 bytes", false);
  f = good;
  f.resize(f.size() - 1);
  add("truncated_end", f, "file ends too early at byte", false);
  add("binary_too_long",
      Replace(good, std::string("Picture.Data\x0a", 13),
              std::string("Picture.Data\x0a\xff\xff\xff\x7f", 17)),
      "binary value longer than the file at byte", false);
  add("value_type",
      Replace(good, std::string("PatternWidth\x02", 13), std::string("PatternWidth\x05", 13)),
      "unsupported value type 5 at byte", false);
  add("wrong_type",
      Replace(good, std::string("PatternWidth\x02\x01", 14), std::string("PatternWidth\x09", 13)),
      "'PatternWidth' is not an integer", false);
  {
    DibLayout s;
    s.headerSize = 41;
    add("dib_header_size", WithPicture(IcfWriter::DibData(MakeDib(s))), "DIB is invalid", true);
  }
  add("dib_short_header", WithPicture(IcfWriter::DibData({40, 0, 0, 0, 1, 0})),
      "truncated DIB header", false);
  add("dib_too_wide", WithPicture(Dib24(5000, 1, 0)), "larger than 4096x4096", false);
  add("dib_too_tall", WithPicture(Dib24(1, -5000, 0)), "larger than 4096x4096", false);
  add("dib_zero_width", WithPicture(Dib24(0, 1, 0)), "DIB is invalid", true);
  add("dib_pixels_short", WithPicture(Dib24(4, 4, 47)), "truncated DIB pixel data at byte", false);
  {
    DibLayout s = Layout(1, 1, 7);
    add("dib_bits", WithPicture(IcfWriter::DibData(MakeDib(s))), "DIB is invalid", true);
    s = Layout(1, 1, 8);
    s.colorsUsed = 300;
    add("dib_too_many_colours", WithPicture(IcfWriter::DibData(MakeDib(s))), "DIB is invalid",
        true);
    s = Layout(1, 1, 24, 1);
    add("dib_rle_depth", WithPicture(IcfWriter::DibData(MakeDib(s))), "DIB is invalid", true);
    s = Layout(1, -1, 8, 1);
    add("dib_rle_top_down", WithPicture(IcfWriter::DibData(MakeDib(s))), "DIB is invalid", true);
    s = Layout(1, 1, 8);
    s.palette = {1, 2, 3};  // 256 entries needed
    add("dib_colour_table_short", WithPicture(IcfWriter::DibData(MakeDib(s))),
        "truncated DIB colour table", false);
    s = Layout(4, 1, 8, 1);
    s.colorsUsed = 1;
    s.palette = {0};
    s.data = {0, 4, 1, 2};
    add("rle_literal_short", WithPicture(IcfWriter::DibData(MakeDib(s))),
        "truncated RLE literal run", false);
    s.data = {0, 2, 1};
    add("rle_delta_short", WithPicture(IcfWriter::DibData(MakeDib(s))), "truncated RLE delta",
        false);
    s = Layout(1, 1, 16, 3);
    s.data = {0, 0, 0, 0};
    add("dib_masks_short", WithPicture(IcfWriter::DibData(MakeDib(s))),
        "truncated DIB colour masks", false);
  }
  add("unknown_kind", WithPicture(IcfWriter::EmbeddedFileData("TGIFImage", {1, 2, 3})),
      "unknown graphic kind 'TGIFImage' at byte", false);
  add("kind_name_long", WithPicture({200, 'T', 'D'}), "graphic kind name longer than Picture.Data",
      false);
  {
    std::vector<uint8_t> jpeg = JpegCodec::Encode(Surface(16, 16, Rgb(1, 2, 3)), 90);
    std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2));
    add("jpeg_truncated", WithPicture(IcfWriter::EmbeddedFileData("TJPEGImage", cut)), "bad JPEG",
        false);
    std::vector<uint8_t> data = IcfWriter::EmbeddedFileData("TJPEGImage", jpeg);
    data[14] = 0x7F;  // the length's top byte
    add("jpeg_length", WithPicture(data), "TJPEGImage data longer than Picture.Data", false);
    add("jpeg_garbage", WithPicture(IcfWriter::EmbeddedFileData("TJPEGImage", {1, 2, 3, 4})),
        "bad JPEG", false);
    // A large picture is checked, not decoded, when read: damage still shows.
    std::vector<uint8_t> large = JpegCodec::Encode(CoordinatePicture(400, 300), 90);
    large.resize(large.size() * 3 / 4);
    add("jpeg_large_truncated", WithPicture(IcfWriter::EmbeddedFileData("TJPEGImage", large)),
        "bad JPEG", false);
  }
  add("png_garbage",
      WithPicture(IcfWriter::EmbeddedFileData("TPNGImage", {0x89, 'P', 'N', 'G', 1, 2})), "bad PNG",
      false);
  add("png_short_length", WithPicture({9, 'T', 'P', 'N', 'G', 'I', 'm', 'a', 'g', 'e', 1, 0}),
      "truncated TPNGImage length", false);
  return cases;
}

TEST(IcfReaderDamaged, EachFaultHasItsMessage) {
  for (const DamagedCase& tc : DamagedCases()) {
    SCOPED_TRACE(tc.name);
    PictureCollection c;
    try {
      c.LoadFromMemory(tc.file.data(), tc.file.size(), "bad.icf");
      ADD_FAILURE() << "no error";
    } catch (const DataError& e) {
      const std::string what = e.what();
      if (tc.exact)
        EXPECT_EQ(what, "bad.icf: " + tc.message);
      else
        EXPECT_EQ(what.rfind("bad.icf: ", 0), 0u) << what;
      EXPECT_NE(what.find(tc.message), std::string::npos) << what;
    }
  }
}

TEST(IcfReaderDamaged, EveryShortenedFileFails) {
  const std::vector<uint8_t> good = GoodFile();
  PictureCollection ok;
  ASSERT_NO_THROW(ok.LoadFromMemory(good.data(), good.size(), "good.icf"));
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
    PictureCollection c;
    EXPECT_THROW(c.LoadFromMemory(cut.data(), cut.size(), "cut.icf"), DataError) << n;
  }
}

TEST(IcfReaderDamaged, FailedLoadKeepsWhatWasThere) {
  const std::vector<uint8_t> good = GoodFile();
  PictureCollection c;
  c.LoadFromMemory(good.data(), good.size(), "good.icf");
  std::vector<uint8_t> bad = Replace(good, "TPF0", "XXXX");
  EXPECT_THROW(c.LoadFromMemory(bad.data(), bad.size(), "bad.icf"), DataError);
  ASSERT_EQ(c.Count(), 2);
  EXPECT_EQ(c.FindByName("Kruk").FrameTotal(), 2);
}

TEST(IcfReaderDamaged, MissingFileNamesIt) {
  PictureCollection c;
  try {
    c.LoadCollection("/nonexistent/dir/GameImgs.icf");
    ADD_FAILURE() << "no error";
  } catch (const DataError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("/nonexistent/dir/GameImgs.icf: cannot open", 0), 0u)
        << e.what();
  }
}

TEST(IcfReaderFile, LoadsFromDisk) {
  const std::vector<uint8_t> good = GoodFile();
  const std::string path = testing::TempDir() + "icf_reader_test.icf";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(good.data(), 1, good.size(), f);
  std::fclose(f);
  PictureCollection c;
  c.LoadCollection(path);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_TRUE(c.ItemAt(0).Uploaded());
  std::remove(path.c_str());
}

// The two collections read side by side end as two LoadCollection calls one
// after the other would leave them, and the error thrown is the one the first
// of those calls would throw.
TEST(IcfReaderFile, TwoCollectionsReadSideBySide) {
  const std::vector<uint8_t> good = GoodFile();
  const std::vector<uint8_t> bad = Replace(good, "TPF0", "XXXX");
  const std::string dir = testing::TempDir();
  auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen((dir + name).c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  };
  write("side_good.icf", good);
  write("side_bad.icf", bad);
  const struct {
    const char* first;
    const char* second;
    const char* error;  // the file named by the error, empty for none
  } cases[] = {
      {"side_good.icf", "side_good.icf", ""},
      {"side_good.icf", "side_bad.icf", "side_bad.icf"},
      {"side_bad.icf", "side_good.icf", "side_bad.icf"},
      {"side_missing.icf", "side_bad.icf", "side_missing.icf"},
      {"side_bad.icf", "side_missing.icf", "side_bad.icf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " + " + c.second);
    PictureCollection first, second, oneByOne;
    std::string error;
    try {
      LoadCollections(first, dir + c.first, second, dir + c.second);
    } catch (const DataError& e) {
      error = e.what();
    }
    if (*c.error == 0) {
      EXPECT_EQ(error, "");
    } else {
      EXPECT_EQ(error.rfind(dir + c.error + ": ", 0), 0u) << error;
    }
    // Each collection holds what its own file gave, however the other fared.
    for (auto [into, file] : {std::pair{&first, c.first}, std::pair{&second, c.second}}) {
      SCOPED_TRACE(file);
      if (std::string(file) != "side_good.icf") {
        EXPECT_EQ(into->Count(), 0);
        continue;
      }
      oneByOne.LoadCollection(dir + file);
      ASSERT_EQ(into->Count(), oneByOne.Count());
      for (int i = 0; i < into->Count(); ++i) {
        EXPECT_EQ(into->ItemAt(i).Name, oneByOne.ItemAt(i).Name);
        EXPECT_EQ(into->ItemAt(i).Uploaded(), oneByOne.ItemAt(i).Uploaded());
        EXPECT_EQ(into->ItemAt(i).FrameTotal(), oneByOne.ItemAt(i).FrameTotal());
        const Surface& a = into->ItemAt(i).Picture();
        const Surface& b = oneByOne.ItemAt(i).Picture();
        ASSERT_EQ(a.Width(), b.Width());
        ASSERT_EQ(a.Height(), b.Height());
        for (int y = 0; y < a.Height(); ++y)
          for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.At(x, y), b.At(x, y));
      }
    }
  }
  std::remove((dir + "side_good.icf").c_str());
  std::remove((dir + "side_bad.icf").c_str());
}

}  // namespace
}  // namespace klv
