// icf-fuzz-seeds DIR: writes the small image-collection files that seed the
// reader's fuzz target (tests/fuzz/corpus/icf_reader): one per bitmap form,
// JPEG, PNG with alpha, and the stream's optional parts. Deterministic.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/color_quantizer.h"
#include "engine/dib_encoder.h"
#include "engine/icf_writer.h"
#include "engine/jpeg_codec.h"
#include "engine/png_codec.h"

using namespace klv;

namespace {

void Put16(std::vector<uint8_t>& o, uint32_t v) {
  o.push_back(uint8_t(v)), o.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& o, uint32_t v) {
  for (int i = 0; i < 4; ++i) o.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> Header40(int w, int h, int bits, uint32_t comp, uint32_t colours) {
  std::vector<uint8_t> o;
  Put32(o, 40), Put32(o, uint32_t(w)), Put32(o, uint32_t(h)), Put16(o, 1), Put16(o, uint32_t(bits));
  Put32(o, comp), Put32(o, 0), Put32(o, 0), Put32(o, 0), Put32(o, colours), Put32(o, 0);
  return o;
}

Surface Sample(int w, int h, bool alpha) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t a = alpha ? uint32_t((x * 255) / (w - 1)) : 255;
      s.Set(
          x, y,
          (a << 24) | (uint32_t(x * 40) << 16) | (uint32_t(y * 50) << 8) | uint32_t((x ^ y) * 30));
    }
  return s;
}

IcfItem Item(const char* name, std::vector<uint8_t> data, int pw = 0, int ph = 0) {
  IcfItem i;
  i.Name = name;
  i.PictureData = std::move(data);
  i.PatternWidth = pw;
  i.PatternHeight = ph;
  i.TransparentColor = 0xFF00FF;
  return i;
}

void Write(const std::string& dir, const std::string& name, const std::vector<IcfItem>& items) {
  std::array<uint32_t, 256> table{};
  table[255] = 0xFFFFFF;
  std::vector<uint8_t> file = IcfWriter::WriteCollection(table, items);
  std::ofstream(dir + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: icf-fuzz-seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const Surface pic = Sample(6, 4, false);
  const std::vector<uint32_t> pal4 = {0x000000, 0xFF00FF, 0x00FF00, 0x123456};

  {  // 8-bit, plain and RLE8 (quantised), with frames
    std::vector<uint8_t> idx(6 * 4);
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = uint8_t((i / 3) % 4);
    Write(
        dir, "dib8.icf",
        {Item("Plain", IcfWriter::DibData(DibEncoder::EncodeIndexed8(6, 4, pal4, idx, false)), 3,
              2),
         Item("Rle", IcfWriter::DibData(DibEncoder::EncodeIndexed8(6, 4, pal4, idx, true)), 2, 2)});
  }
  {  // RLE4 with delta, literal and end of line
    std::vector<uint8_t> d = Header40(5, 2, 4, 2, 4);
    for (uint32_t c : pal4) Put32(d, c);
    for (uint8_t b : {0, 2, 1, 0, 3, 0x12, 0, 0, 0, 3, 0x32, 0x10, 0, 1}) d.push_back(b);
    Write(dir, "rle4.icf", {Item("R4", IcfWriter::DibData(d))});
  }
  {  // 1 and 4 bits
    std::vector<uint8_t> d1 = Header40(9, 2, 1, 0, 2);
    Put32(d1, 0), Put32(d1, 0xFFFFFF);
    for (uint8_t b : {0xA5, 0x80, 0, 0, 0x5A, 0x00, 0, 0}) d1.push_back(b);
    std::vector<uint8_t> d4 = Header40(3, 1, 4, 0, 3);
    for (int i = 0; i < 3; ++i) Put32(d4, pal4[size_t(i)]);
    for (uint8_t b : {0x12, 0x50, 0, 0}) d4.push_back(b);
    Write(dir, "dib1_4.icf",
          {Item("B1", IcfWriter::DibData(d1)), Item("B4", IcfWriter::DibData(d4))});
  }
  {  // 16 bits with masks, 24 and 32 bits, top-down
    std::vector<uint8_t> d16 = Header40(2, -2, 16, 3, 0);
    Put32(d16, 0xF800), Put32(d16, 0x07E0), Put32(d16, 0x001F);
    for (uint8_t b : {0xE0, 0x07, 0x00, 0xF8, 0x1F, 0x00, 0xFF, 0xFF}) d16.push_back(b);
    Write(dir, "truecolour.icf",
          {Item("C16", IcfWriter::DibData(d16)),
           Item("C24", IcfWriter::DibData(DibEncoder::EncodeTrueColor(pic, 24)), 2, 2),
           Item("C32", IcfWriter::DibData(DibEncoder::EncodeTrueColor(pic, 32)))});
  }
  {  // core header
    std::vector<uint8_t> d;
    Put32(d, 12), Put16(d, 2), Put16(d, 1), Put16(d, 1), Put16(d, 1);
    for (uint8_t b : {0, 0, 0, 255, 255, 255, 0x40, 0, 0, 0}) d.push_back(b);
    Write(dir, "core.icf", {Item("Core", IcfWriter::DibData(d))});
  }
  Write(dir, "jpeg.icf",
        {Item("J", IcfWriter::EmbeddedFileData("TJPEGImage",
                                               JpegCodec::Encode(Sample(8, 8, false), 90)))});
  Write(dir, "png.icf",
        {Item("P", IcfWriter::EmbeddedFileData("TPNGImage", PngCodec::Encode(Sample(4, 3, true))),
              2, 3)});
  {  // the stream's optional parts: flags, item indexes, identifiers, long strings
    IcfWriter w;
    for (char ch : std::string("TPF0")) w.Byte(uint8_t(ch));
    w.Byte(0xF2);
    w.IntValue(300);
    w.ShortString("TPictureCollectionComponent");
    w.ShortString("");
    w.ShortString("List");
    w.Byte(14);
    w.IntValue(70000);
    w.Byte(1);
    w.ShortString("Name");
    w.Byte(12), w.U32(4);
    for (char ch : std::string("Kruk")) w.Byte(uint8_t(ch));
    w.ShortString("TransparentColor");
    w.IdentValue("clFuchsia");
    w.ShortString("Transparent");
    w.BoolValue(false);
    w.ShortString("SystemMemory");
    w.BoolValue(true);
    w.ShortString("SkipWidth");
    w.IntValue(-1);
    w.ShortString("PatternWidth");
    w.IntValue(2);
    w.ShortString("Picture.Data");
    w.BinaryValue(IcfWriter::DibData(DibEncoder::EncodeTrueColor(pic, 24)));
    w.Byte(0);
    w.Byte(1);
    w.ShortString("Name");
    w.StringValue("Empty");
    w.ShortString("Picture.Data");
    w.BinaryValue({});
    w.Byte(0);
    w.Byte(0);
    w.Byte(0);
    w.Byte(0);
    std::vector<uint8_t> file = IcfWriter::ResourceHeader(uint32_t(w.Data().size()));
    file.insert(file.end(), w.Data().begin(), w.Data().end());
    std::ofstream(dir + "/stream.icf", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  }
  return 0;
}
