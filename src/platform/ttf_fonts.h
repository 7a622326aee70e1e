#pragma once
// Renders lines of text with SDL2_ttf: "Comic Sans MS" is Comfortaa, "Arial"
// Liberation Sans, "Courier New" Liberation Mono; sizes are points at 96 dpi.

#include <map>
#include <string>
#include <tuple>

#include "platform/platform.h"

struct _TTF_Font;

namespace klv {

class TtfFonts {
 public:
  TtfFonts();
  ~TtfFonts();
  TtfFonts(const TtfFonts&) = delete;
  TtfFonts& operator=(const TtfFonts&) = delete;

  TextRaster Render(const FontSpec& font, const std::string& utf8);
  // The font file a face maps to (empty when none is installed).
  static std::string FontFile(Face face, bool bold);

 private:
  _TTF_Font* Open(const FontSpec& font);
  std::map<std::tuple<int, int, bool>, _TTF_Font*> open_;
  bool ready_ = false;
};

}  // namespace klv
