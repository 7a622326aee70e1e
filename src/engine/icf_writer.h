#pragma once
// Writes image-collection files in the form IcfReader reads (see the format
// notes in icf_reader.h). Used by icf-pack and by tests that build files;
// the low-level calls let tests build odd or damaged streams too.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace klv {

// One item as stored. PictureData is the whole Picture.Data value (see
// DibData, EmbeddedFileData); empty for an item without a picture.
struct IcfItem {
  std::string Name;
  int PatternWidth = 0;
  int PatternHeight = 0;
  int SkipWidth = 0;
  int SkipHeight = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  uint32_t TransparentColor = 0;  // 0x00BBGGRR
  std::vector<uint8_t> PictureData;
};

class IcfWriter {
 public:
  // A whole file: resource header, "TPF0", the root object with
  // List.ColorTable and List. Properties at their defaults are left out.
  static std::vector<uint8_t> WriteCollection(const std::array<uint32_t, 256>& colorTable,
                                              const std::vector<IcfItem>& items);
  // Picture.Data of a "TDIB": the kind name, then the bitmap.
  static std::vector<uint8_t> DibData(const std::vector<uint8_t>& dib);
  // Picture.Data of "TJPEGImage" or "TPNGImage": the kind name, a 32-bit
  // length, then the file.
  static std::vector<uint8_t> EmbeddedFileData(std::string_view kind,
                                               const std::vector<uint8_t>& file);
  // The resource header for a stream of the given size (the stream follows).
  static std::vector<uint8_t> ResourceHeader(uint32_t streamSize);

  // Low-level stream building.
  void Byte(uint8_t b) { out_.push_back(b); }
  void U16(uint16_t v);
  void U32(uint32_t v);
  void Bytes(const std::vector<uint8_t>& bytes);
  void ShortString(std::string_view s);                 // at most 255 bytes
  void IntValue(int32_t v);                             // the smallest of types 2, 3, 4
  void StringValue(std::string_view s);                 // type 6, or 12 when longer than 255
  void IdentValue(std::string_view s);                  // type 7
  void BoolValue(bool v);                               // type 8 or 9
  void BinaryValue(const std::vector<uint8_t>& bytes);  // type 10
  // One item's properties, without the list start and end bytes.
  void ItemProperties(const IcfItem& item);
  const std::vector<uint8_t>& Data() const { return out_; }

 private:
  std::vector<uint8_t> out_;
};

}  // namespace klv
