#pragma once
// Text as the drawing surface's canvas needs it: the faces the game names,
// a font, a rendered line of coverage, and whatever renders one (the
// platform, with the fonts of the machine it runs on).

#include <cstdint>
#include <string>
#include <vector>

namespace klv {

// The faces the game names, mapped to free fonts with Cyrillic.
enum class Face { Comic, Arial, Courier };

struct FontSpec {
  Face face = Face::Comic;
  int points = 11;  // points at 96 dpi
  bool bold = false;
  bool operator==(const FontSpec&) const = default;
};

// A rendered line of text: 8-bit coverage, row-major.
struct TextRaster {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;
};

class TextRasterizer {
 public:
  virtual ~TextRasterizer() = default;
  virtual TextRaster RenderText(const FontSpec& font, const std::string& utf8) = 0;
};

}  // namespace klv
