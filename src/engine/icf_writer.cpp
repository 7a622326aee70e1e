#include "engine/icf_writer.h"

#include "engine/errors.h"

namespace klv {

void IcfWriter::U16(uint16_t v) {
  Byte(uint8_t(v));
  Byte(uint8_t(v >> 8));
}

void IcfWriter::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) Byte(uint8_t(v >> (8 * i)));
}

void IcfWriter::Bytes(const std::vector<uint8_t>& bytes) {
  out_.insert(out_.end(), bytes.begin(), bytes.end());
}

void IcfWriter::ShortString(std::string_view s) {
  if (s.size() > 255) throw KlvError("short string longer than 255 bytes");
  Byte(uint8_t(s.size()));
  out_.insert(out_.end(), s.begin(), s.end());
}

void IcfWriter::IntValue(int32_t v) {
  if (v >= -128 && v <= 127) {
    Byte(2);
    Byte(uint8_t(v));
  } else if (v >= -32768 && v <= 32767) {
    Byte(3);
    U16(uint16_t(v));
  } else {
    Byte(4);
    U32(uint32_t(v));
  }
}

void IcfWriter::StringValue(std::string_view s) {
  if (s.size() <= 255) {
    Byte(6);
    ShortString(s);
  } else {
    Byte(12);
    U32(uint32_t(s.size()));
    out_.insert(out_.end(), s.begin(), s.end());
  }
}

void IcfWriter::IdentValue(std::string_view s) {
  Byte(7);
  ShortString(s);
}

void IcfWriter::BoolValue(bool v) {
  Byte(v ? 9 : 8);
}

void IcfWriter::BinaryValue(const std::vector<uint8_t>& bytes) {
  Byte(10);
  U32(uint32_t(bytes.size()));
  Bytes(bytes);
}

void IcfWriter::ItemProperties(const IcfItem& item) {
  ShortString("Name");
  StringValue(item.Name);
  if (item.PatternHeight) ShortString("PatternHeight"), IntValue(item.PatternHeight);
  if (item.PatternWidth) ShortString("PatternWidth"), IntValue(item.PatternWidth);
  ShortString("Picture.Data");
  BinaryValue(item.PictureData);
  if (item.SkipHeight) ShortString("SkipHeight"), IntValue(item.SkipHeight);
  if (item.SkipWidth) ShortString("SkipWidth"), IntValue(item.SkipWidth);
  if (item.SystemMemory) ShortString("SystemMemory"), BoolValue(true);
  if (!item.Transparent) ShortString("Transparent"), BoolValue(false);
  if (item.TransparentColor)
    ShortString("TransparentColor"), IntValue(static_cast<int32_t>(item.TransparentColor));
}

std::vector<uint8_t> IcfWriter::ResourceHeader(uint32_t streamSize) {
  IcfWriter w;
  w.Byte(0xFF);
  w.U16(10);
  for (char c : std::string_view("TPICTURECOLLECTIONCOMPONENT")) w.Byte(uint8_t(c));
  w.Byte(0);
  w.U16(0x1030);  // memory flags: movable, pure, discardable
  w.U32(streamSize);
  return w.out_;
}

std::vector<uint8_t> IcfWriter::WriteCollection(const std::array<uint32_t, 256>& colorTable,
                                                const std::vector<IcfItem>& items) {
  IcfWriter s;
  for (char c : std::string_view("TPF0")) s.Byte(uint8_t(c));
  s.ShortString("TPictureCollectionComponent");
  s.ShortString("");
  s.ShortString("List.ColorTable");
  std::vector<uint8_t> table;
  for (uint32_t e : colorTable)
    for (int i = 0; i < 4; ++i) table.push_back(uint8_t(e >> (8 * i)));
  s.BinaryValue(table);
  s.ShortString("List");
  s.Byte(14);
  for (const IcfItem& item : items) {
    s.Byte(1);
    s.ItemProperties(item);
    s.Byte(0);
  }
  s.Byte(0);  // end of the collection
  s.Byte(0);  // end of the root's properties
  s.Byte(0);  // no child objects
  std::vector<uint8_t> file = ResourceHeader(uint32_t(s.out_.size()));
  file.insert(file.end(), s.out_.begin(), s.out_.end());
  return file;
}

std::vector<uint8_t> IcfWriter::DibData(const std::vector<uint8_t>& dib) {
  IcfWriter w;
  w.ShortString("TDIB");
  w.Bytes(dib);
  return w.out_;
}

std::vector<uint8_t> IcfWriter::EmbeddedFileData(std::string_view kind,
                                                 const std::vector<uint8_t>& file) {
  IcfWriter w;
  w.ShortString(kind);
  w.U32(uint32_t(file.size()));
  w.Bytes(file);
  return w.out_;
}

}  // namespace klv
