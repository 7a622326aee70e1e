#pragma once
// Renders lines of text with SDL2_ttf: "Comic Sans MS" is Comfortaa, "Arial"
// Liberation Sans, "Courier New" Liberation Mono; sizes are points at 96 dpi.
// The font files are found through fontconfig.

#include <map>
#include <string>
#include <tuple>

#include "platform/platform.h"

struct _TTF_Font;

namespace klv {

// What fontconfig offers for a family: the file of the best face, whether it
// is of the family asked for (otherwise it is fontconfig's stand-in), and
// whether the face is bold.
struct FontMatch {
  std::string file;
  std::string family;  // the family of the face found
  bool exact = false;
  bool bold = false;
};

class TtfFonts {
 public:
  TtfFonts();
  ~TtfFonts();
  TtfFonts(const TtfFonts&) = delete;
  TtfFonts& operator=(const TtfFonts&) = delete;

  TextRaster Render(const FontSpec& font, const std::string& utf8);

  // The family a face maps to, and the Debian package that has it.
  static const char* Family(Face face);
  static const char* Package(Face face);
  // Asks fontconfig for a scalable face of the family.
  static FontMatch Find(const std::string& family, bool bold);
  // Starts looking the faces up on a thread, so that reading fontconfig's
  // files overlaps the rest of start-up; the first call that needs a face
  // (FontFile, MissingFonts, the first text) waits for it. Call it first
  // thing: without it the faces are looked up when first needed.
  static void StartLookup();
  // The font file a face maps to (empty when fontconfig has none at all).
  static std::string FontFile(Face face, bool bold);
  // One line for each face whose family is not installed, naming the font,
  // its package and the stand-in used; empty when all are there. The same
  // text goes to the error output once, when the first text is rendered.
  static const std::string& MissingFonts();
  // The line MissingFonts gives for a face that fontconfig answered with `match`.
  static std::string DescribeMissing(Face face, const FontMatch& match);

 private:
  _TTF_Font* Open(const FontSpec& font);
  static void ReportMissing();
  std::map<std::tuple<int, int, bool>, _TTF_Font*> open_;
  bool ready_ = false;
};

}  // namespace klv
