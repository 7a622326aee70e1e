// icf-pack MANIFEST OUT.icf: builds an image-collection file.
//
// The manifest is UTF-8 text; '#' starts a comment, blank lines are skipped.
// Each other line is one item, in item order, with whitespace-separated fields:
//   NAME SOURCE KIND PW PH SW SH TRANSPARENCY
// NAME: the item name. SOURCE: a PNG or JPEG file, relative to the
// manifest's folder. KIND: TDIB8, TDIB24, TDIB32, TJPEGImage or TPNGImage.
// PW PH SW SH: PatternWidth, PatternHeight, SkipWidth, SkipHeight.
// TRANSPARENCY: "none" (Transparent false), "alpha" (TPNGImage only; the
// picture's own alpha) or a colour key 0xBBGGRR (Transparent true). With a
// key, source pixels less than half opaque become the key colour.
//
// TDIB8 is reduced to at most 256 colours (median cut, the key exact) and
// run-length coded when that is smaller; TJPEGImage is quality 90. The same
// inputs always give the same bytes. The file is checked by reading it back.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/color_quantizer.h"
#include "engine/dib_encoder.h"
#include "engine/errors.h"
#include "engine/icf_writer.h"
#include "engine/jpeg_codec.h"
#include "engine/picture_collection.h"
#include "engine/png_codec.h"

namespace fs = std::filesystem;
using namespace klv;

namespace {

struct LineError {
  int line;
  std::string message;
};

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw KlvError(path.string() + ": cannot open");
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

Surface LoadSource(const fs::path& path) {
  std::vector<uint8_t> bytes = ReadBytes(path);
  try {
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) == 0)
      return PngCodec::Decode(bytes.data(), bytes.size());
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
      return JpegCodec::Decode(bytes.data(), bytes.size());
  } catch (const KlvError& e) {
    throw KlvError(path.string() + ": " + e.what());
  }
  throw KlvError(path.string() + ": neither a PNG nor a JPEG file");
}

bool ParseInt(const std::string& s, int& out) {
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || errno || v < INT32_MIN || v > INT32_MAX) return false;
  out = int(v);
  return true;
}

IcfItem BuildItem(const std::vector<std::string>& f, const fs::path& folder) {
  IcfItem item;
  item.Name = f[0];
  if (item.Name.size() > 255) throw KlvError("name longer than 255 bytes");
  const std::string& kind = f[2];
  int* numbers[4] = {&item.PatternWidth, &item.PatternHeight, &item.SkipWidth, &item.SkipHeight};
  for (int i = 0; i < 4; ++i)
    if (!ParseInt(f[3 + size_t(i)], *numbers[i]))
      throw KlvError("'" + f[3 + size_t(i)] + "' is not a whole number");

  const std::string& t = f[7];
  std::optional<uint32_t> key;  // 0x00BBGGRR
  if (t == "none") {
    item.Transparent = false;
  } else if (t == "alpha") {
    if (kind != "TPNGImage") throw KlvError("'alpha' needs the TPNGImage kind");
  } else if (t.size() == 8 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X') &&
             t.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos) {
    key = uint32_t(std::strtoul(t.c_str() + 2, nullptr, 16));
    item.TransparentColor = *key;
  } else {
    throw KlvError("transparency '" + t + "' is not none, alpha or 0xBBGGRR");
  }

  Surface pic = LoadSource(folder / f[1]);
  const uint32_t keyPixel = key ? FromColorRef(*key) : 0;
  for (int y = 0; y < pic.Height(); ++y) {
    uint32_t* row = pic.Row(y);
    for (int x = 0; x < pic.Width(); ++x) {
      if (key && (row[x] >> 24) < 128)
        row[x] = keyPixel;
      else if (kind != "TPNGImage" || t == "none")
        row[x] |= 0xFF000000u;
    }
  }

  if (kind == "TDIB8") {
    std::optional<uint32_t> keyRgb;
    if (key) keyRgb = keyPixel & 0xFFFFFF;
    ColorQuantizer::Result q = ColorQuantizer::Quantize(pic, 256, keyRgb);
    item.PictureData = IcfWriter::DibData(
        DibEncoder::EncodeIndexed8(pic.Width(), pic.Height(), q.Palette, q.Indexes, true));
  } else if (kind == "TDIB24" || kind == "TDIB32") {
    item.PictureData =
        IcfWriter::DibData(DibEncoder::EncodeTrueColor(pic, kind == "TDIB24" ? 24 : 32));
  } else if (kind == "TJPEGImage") {
    item.PictureData = IcfWriter::EmbeddedFileData(kind, JpegCodec::Encode(pic, 90));
  } else if (kind == "TPNGImage") {
    if (key) throw KlvError("TPNGImage takes 'alpha' or 'none', not a colour key");
    item.PictureData = IcfWriter::EmbeddedFileData(kind, PngCodec::Encode(pic));
  } else {
    throw KlvError("kind '" + kind + "' is not TDIB8, TDIB24, TDIB32, TJPEGImage or TPNGImage");
  }
  return item;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: icf-pack MANIFEST OUT.icf\n");
    return 2;
  }
  const std::string manifest = argv[1], outPath = argv[2];
  try {
    std::ifstream in(manifest);
    if (!in) throw KlvError(manifest + ": cannot open");
    const fs::path folder = fs::path(manifest).parent_path();
    std::vector<IcfItem> items;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
      ++lineNo;
      if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
      std::istringstream words(line);
      std::vector<std::string> f;
      for (std::string w; words >> w;) f.push_back(w);
      if (f.empty()) continue;
      try {
        if (f.size() != 8)
          throw KlvError("expected 8 fields (NAME SOURCE KIND PW PH SW SH TRANSPARENCY), found " +
                         std::to_string(f.size()));
        items.push_back(BuildItem(f, folder));
      } catch (const KlvError& e) {
        throw KlvError(manifest + ":" + std::to_string(lineNo) + ": " + e.what());
      }
    }
    PictureCollection fixedColours;
    fixedColours.BuildColorTable();
    const std::vector<uint8_t> file = IcfWriter::WriteCollection(fixedColours.ColorTable, items);

    PictureCollection check;  // the reader must take what we wrote
    check.LoadFromMemory(file.data(), file.size(), outPath);

    const std::string tmp = outPath + ".tmp";
    {
      std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
      if (!out.flush()) throw KlvError(tmp + ": cannot write");
    }
    std::error_code ec;
    fs::rename(tmp, outPath, ec);
    if (ec) throw KlvError(outPath + ": " + ec.message());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "icf-pack: %s\n", e.what());
    return 1;
  }
  return 0;
}
