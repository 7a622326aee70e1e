#include "engine/icf_reader.h"

#include <cstring>
#include <string_view>

#include "engine/cp1251.h"
#include "engine/dib_decoder.h"
#include "engine/errors.h"
#include "engine/jpeg_codec.h"
#include "engine/picture_collection.h"
#include "engine/picture_limits.h"
#include "engine/png_codec.h"

namespace klv {

namespace {

constexpr int kMaxItems = 65536;

enum ValueType : uint8_t {
  kInt8 = 2,
  kInt16 = 3,
  kInt32 = 4,
  kString = 6,
  kIdent = 7,
  kFalse = 8,
  kTrue = 9,
  kBinary = 10,
  kLString = 12,
  kCollection = 14,
};

// Colour identifiers that may stand for TransparentColor (0x00BBGGRR).
struct NamedColour {
  const char* name;
  uint32_t value;
};
constexpr NamedColour kColours[] = {
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000},
    {"clOlive", 0x008080},      {"clNavy", 0x800000},    {"clPurple", 0x800080},
    {"clTeal", 0x808000},       {"clGray", 0x808080},    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},        {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},      {"clLtGray", 0xC0C0C0},  {"clDkGray", 0x808080},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},    {"clNone", 0x1FFFFFFF},  {"clDefault", 0x20000000},
};

// Text safe to quote in a message: printable ASCII, at most 40 characters.
std::string Quote(std::string_view s) {
  std::string out = "'";
  for (size_t i = 0; i < s.size() && i < 40; ++i) out += (s[i] >= 32 && s[i] < 127) ? s[i] : '?';
  if (s.size() > 40) out += "...";
  return out + "'";
}

class StreamParser {
 public:
  StreamParser(const uint8_t* data, size_t size, const std::string& fileName,
               PictureCollection& into)
      : d_(data), n_(size), file_(fileName), into_(into) {}

  void Run() {
    ReadResourceHeader();
    if (n_ - pos_ < 4 || std::memcmp(d_ + pos_, "TPF0", 4) != 0) Fail("Invalid stream format");
    pos_ += 4;
    ReadRoot();
  }

 private:
  struct Value {
    uint8_t type = 0;
    size_t at = 0;        // offset of the type byte
    int64_t integer = 0;  // integer types; 0/1 for booleans
    std::string text;     // string and identifier types
    size_t dataPos = 0;   // binary: offset and length of the bytes
    size_t dataLen = 0;
  };

  [[noreturn]] void Fail(const std::string& what) const { throw DataError(file_ + ": " + what); }
  [[noreturn]] void FailAt(const std::string& what, size_t at) const { Fail(what + AtByte(at)); }

  size_t Left() const { return n_ - pos_; }
  void Need(size_t bytes) const {
    if (Left() < bytes) FailAt("file ends too early", n_);
  }
  uint8_t U8() {
    Need(1);
    return d_[pos_++];
  }
  uint16_t U16() {
    Need(2);
    uint16_t v = uint16_t(d_[pos_] | (d_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    Need(4);
    uint32_t v = uint32_t(d_[pos_]) | (uint32_t(d_[pos_ + 1]) << 8) |
                 (uint32_t(d_[pos_ + 2]) << 16) | (uint32_t(d_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  std::string ShortString() {
    size_t len = U8();
    Need(len);
    std::string s(reinterpret_cast<const char*>(d_ + pos_), len);
    pos_ += len;
    return s;
  }

  void ReadResourceHeader() {
    if (Left() < 3 || d_[0] != 0xFF || d_[1] != 10 || d_[2] != 0) Fail("Invalid stream format");
    pos_ = 3;
    const void* end = std::memchr(d_ + pos_, 0, Left());
    if (!end) Fail("Invalid stream format");
    pos_ = size_t(static_cast<const uint8_t*>(end) - d_) + 1;
    if (Left() < 6) Fail("Invalid stream format");
    pos_ += 6;  // memory flags and size, not used
  }

  int64_t IntegerValue(uint8_t type) {
    switch (type) {
      case kInt8:
        return static_cast<int8_t>(U8());
      case kInt16:
        return static_cast<int16_t>(U16());
      case kInt32:
        return static_cast<int32_t>(U32());
    }
    FailAt("expected an integer value", pos_ - 1);
  }

  Value ReadValue() {
    Value v;
    v.at = pos_;
    v.type = U8();
    switch (v.type) {
      case kInt8:
      case kInt16:
      case kInt32:
        v.integer = IntegerValue(v.type);
        break;
      case kString:
      case kIdent:
        v.text = ShortString();
        break;
      case kLString: {
        uint32_t len = U32();
        if (len > Left()) FailAt("long string longer than the file", v.at);
        v.text.assign(reinterpret_cast<const char*>(d_ + pos_), len);
        pos_ += len;
        break;
      }
      case kFalse:
      case kTrue:
        v.integer = v.type == kTrue;
        break;
      case kBinary: {
        uint32_t len = U32();
        if (len > Left()) FailAt("binary value longer than the file", v.at);
        v.dataPos = pos_;
        v.dataLen = len;
        pos_ += len;
        break;
      }
      case kCollection:
        break;  // the caller reads the items
      default:
        FailAt("unsupported value type " + std::to_string(v.type), v.at);
    }
    return v;
  }

  void ReadRoot() {
    size_t at = pos_;
    uint8_t first = U8();
    if (first >= 0xF0) {                  // filer flags
      if (first & 2) IntegerValue(U8());  // child position
    } else {
      --pos_;
    }
    at = pos_;
    std::string className = ShortString();
    if (className != "TPictureCollectionComponent")
      FailAt("unexpected object class " + Quote(className), at);
    ShortString();  // object name
    while (true) {
      Need(1);
      if (d_[pos_] == 0) {
        ++pos_;
        break;
      }
      at = pos_;
      std::string name = ShortString();
      Value v = ReadValue();
      if (name == "List.ColorTable") {
        if (v.type != kBinary) FailAt("List.ColorTable is not binary", v.at);
        if (v.dataLen != 1024) FailAt("List.ColorTable is not 1024 bytes", v.at);
        for (int i = 0; i < 256; ++i) {
          const uint8_t* e = d_ + v.dataPos + 4 * i;
          into_.ColorTable[i] = uint32_t(e[0]) | (uint32_t(e[1]) << 8) | (uint32_t(e[2]) << 16) |
                                (uint32_t(e[3]) << 24);
        }
      } else if (name == "List") {
        if (v.type != kCollection) FailAt("List is not a collection", v.at);
        ReadItems();
      } else {
        FailAt("unknown property " + Quote(name), at);
      }
    }
    if (U8() != 0) FailAt("unexpected child object", pos_ - 1);
  }

  void ReadItems() {
    while (true) {
      size_t at = pos_;
      uint8_t b = U8();
      if (b == 0) return;
      if (b >= kInt8 && b <= kInt32) {  // the item's index, not used
        IntegerValue(b);
        at = pos_;
        b = U8();
      }
      if (b != 1) FailAt("expected an item", at);
      if (into_.Count() >= kMaxItems) FailAt("more than 65536 items", at);
      PictureCollectionItem& item = into_.Add();
      while (true) {
        Need(1);
        if (d_[pos_] == 0) {
          ++pos_;
          break;
        }
        size_t propAt = pos_;
        std::string name = ShortString();
        Value v = ReadValue();
        if (v.type == kCollection) FailAt("unexpected collection in " + Quote(name), v.at);
        SetItemProperty(item, name, v, propAt);
      }
    }
  }

  int32_t AsInt(const Value& v, const std::string& name) {
    if (v.type < kInt8 || v.type > kInt32) FailAt(Quote(name) + " is not an integer", v.at);
    return static_cast<int32_t>(v.integer);
  }
  bool AsBool(const Value& v, const std::string& name) {
    if (v.type != kFalse && v.type != kTrue) FailAt(Quote(name) + " is not a boolean", v.at);
    return v.integer != 0;
  }

  void SetItemProperty(PictureCollectionItem& item, const std::string& name, const Value& v,
                       size_t at) {
    if (name == "Name") {
      if (v.type != kString && v.type != kLString) FailAt("Name is not a string", v.at);
      into_.Rename(item, v.text);
    } else if (name == "PatternWidth") {
      item.PatternWidth = AsInt(v, name);
    } else if (name == "PatternHeight") {
      item.PatternHeight = AsInt(v, name);
    } else if (name == "SkipWidth") {
      item.SkipWidth = AsInt(v, name);
    } else if (name == "SkipHeight") {
      item.SkipHeight = AsInt(v, name);
    } else if (name == "SystemMemory") {
      item.SystemMemory = AsBool(v, name);
    } else if (name == "Transparent") {
      item.Transparent = AsBool(v, name);
    } else if (name == "TransparentColor") {
      if (v.type == kIdent) {
        const NamedColour* found = nullptr;
        for (const auto& c : kColours)
          if (SameNoCase(c.name, v.text)) found = &c;
        if (!found) FailAt("unknown colour " + Quote(v.text), v.at);
        item.TransparentColor = found->value;
      } else {
        item.TransparentColor = static_cast<uint32_t>(AsInt(v, name));
      }
    } else if (name == "Picture.Data") {
      if (v.type != kBinary) FailAt("Picture.Data is not binary", v.at);
      ReadPicture(item, v.dataPos, v.dataLen);
    } else {
      FailAt("unknown property " + Quote(name), at);
    }
  }

  void ReadPicture(PictureCollectionItem& item, size_t start, size_t len) {
    if (len == 0) {
      item.SetPicture(Surface(), PictureKind::None);
      item.SetStoredKind("");
      item.SetPalette({});
      return;
    }
    const uint8_t* p = d_ + start;
    const size_t kindLen = p[0];
    if (kindLen + 1 > len) FailAt("graphic kind name longer than Picture.Data", start);
    const std::string kind(reinterpret_cast<const char*>(p + 1), kindLen);
    const size_t dataAt = start + 1 + kindLen;
    const size_t dataLen = len - 1 - kindLen;
    try {
      if (kind == "TDIB") {
        // Checked without making pixels; decoded now only when small.
        DecodedPicture dib = DibDecoder::Check(d_ + dataAt, dataLen, dataAt);
        Account(dib.Width, dib.Height, start);
        if (DecodeWhenDrawn(dib.Width, dib.Height))
          item.SetStoredPicture(std::vector<uint8_t>(d_ + dataAt, d_ + dataAt + dataLen),
                                PictureKind::Dib, dib.Width, dib.Height);
        else
          item.SetPicture(DibDecoder::Decode(d_ + dataAt, dataLen, dataAt).Pixels,
                          PictureKind::Dib);
        item.SetStoredKind("TDIB" + std::to_string(dib.BitCount));
        item.SetPalette(std::move(dib.Palette));
      } else if (kind == "TJPEGImage" || kind == "TPNGImage") {
        if (dataLen < 4) FailAt("truncated " + kind + " length", dataAt);
        const uint8_t* q = d_ + dataAt;
        const uint32_t fileLen = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16) |
                                 (uint32_t(q[3]) << 24);
        if (fileLen > dataLen - 4) FailAt(kind + " data longer than Picture.Data", dataAt);
        const bool jpeg = kind == "TJPEGImage";
        if (jpeg) {
          // Checked at an eighth of the size; decoded in full only when small.
          const JpegCodec::Size size = JpegCodec::Check(q + 4, fileLen);
          Account(size.width, size.height, start);
          if (DecodeWhenDrawn(size.width, size.height))
            item.SetStoredPicture(std::vector<uint8_t>(q + 4, q + 4 + fileLen), PictureKind::Jpeg,
                                  size.width, size.height);
          else
            item.SetPicture(JpegCodec::Decode(q + 4, fileLen), PictureKind::Jpeg);
        } else {
          Surface picture = PngCodec::Decode(q + 4, fileLen);
          Account(picture.Width(), picture.Height(), start);
          Keep(item, std::move(picture), PictureKind::Png, q + 4, fileLen);
        }
        item.SetStoredKind(kind);
        item.SetPalette({});
      } else {
        FailAt("unknown graphic kind " + Quote(kind), start);
      }
    } catch (const DataError& e) {
      const std::string what = e.what();
      if (what.compare(0, file_.size() + 2, file_ + ": ") == 0) throw;
      // Decoder messages carry no file name; JPEG and PNG ones no offset.
      if (kind == "TDIB") Fail(what);
      FailAt(what + " in the picture", start);
    }
  }

  // Every picture is decoded here, so that a damaged one fails the load; a
  // large one is then kept as stored, and decoded again when first drawn.
  static bool DecodeWhenDrawn(int width, int height) {
    return uint64_t(width) * uint64_t(height) * 4 >= 256 * 1024;
  }
  static void Keep(PictureCollectionItem& item, Surface picture, PictureKind kind,
                   const uint8_t* stored, size_t storedLen) {
    const int w = picture.Width(), h = picture.Height();
    if (DecodeWhenDrawn(w, h) && storedLen > 0)
      item.SetStoredPicture(std::vector<uint8_t>(stored, stored + storedLen), kind, w, h);
    else
      item.SetPicture(std::move(picture), kind);
  }

  void Account(int width, int height, size_t at) {
    total_ += uint64_t(width) * uint64_t(height) * 4;
    if (total_ > kMaxCollectionBytes) FailAt("pictures larger than 256 MB in total", at);
  }

  const uint8_t* d_;
  size_t n_;
  size_t pos_ = 0;
  const std::string& file_;
  PictureCollection& into_;
  uint64_t total_ = 0;
};

}  // namespace

void IcfReader::Read(const uint8_t* data, size_t size, const std::string& fileName,
                     PictureCollection& into) {
  StreamParser(data, size, fileName, into).Run();
}

}  // namespace klv
