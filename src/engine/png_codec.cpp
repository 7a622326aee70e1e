#include "engine/png_codec.h"

#include <png.h>

#include <fstream>
#include <iterator>

#include "engine/errors.h"
#include "engine/picture_limits.h"

namespace klv {

// libpng's simplified interface keeps its own setjmp inside libpng and
// reports failures through image.message, so no jump crosses our frames.
Surface PngCodec::Decode(const uint8_t* data, size_t size) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size))
    throw DataError(std::string("bad PNG: ") + image.message);
  if (image.width == 0 || image.height == 0 || image.width > unsigned(kMaxPictureSide) ||
      image.height > unsigned(kMaxPictureSide)) {
    std::string msg = "PNG of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                      " is larger than 4096x4096";
    png_image_free(&image);
    throw DataError(msg);
  }
  image.format = PNG_FORMAT_BGRA;  // in memory B G R A: 0xAARRGGBB on little-endian
  Surface out;
  try {
    out.Resize(static_cast<int>(image.width), static_cast<int>(image.height));
  } catch (...) {
    png_image_free(&image);
    throw;
  }
  if (!png_image_finish_read(&image, nullptr, out.Pixels(), 0, nullptr))
    throw DataError(std::string("bad PNG: ") + image.message);
  return out;
}

std::vector<uint8_t> PngCodec::Encode(const Surface& picture) {
  if (picture.Empty()) throw KlvError("cannot encode an empty picture as PNG");
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.Width());
  image.height = static_cast<png_uint_32>(picture.Height());
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, picture.Pixels(), 0, nullptr))
    throw KlvError(std::string("PNG encoding failed: ") + image.message);
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.Pixels(), 0, nullptr))
    throw KlvError(std::string("PNG encoding failed: ") + image.message);
  bytes.resize(size);
  return bytes;
}

Surface PngCodec::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw KlvError(path + ": cannot open");
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  try {
    return Decode(bytes.data(), bytes.size());
  } catch (const KlvError& e) {
    throw KlvError(path + ": " + e.what());
  }
}

void PngCodec::WriteFile(const std::string& path, const Surface& picture) {
  std::vector<uint8_t> bytes = Encode(picture);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw KlvError(path + ": cannot write");
}

}  // namespace klv
