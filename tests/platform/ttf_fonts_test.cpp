#include "platform/ttf_fonts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace klv {
namespace {

// The three faces the game draws with, regular and bold, are found through
// fontconfig as files of the very family (install-deps puts them there).
TEST(TtfFonts, EachFaceIsFoundInItsOwnFamily) {
  for (Face face : {Face::Comic, Face::Arial, Face::Courier}) {
    for (bool bold : {false, true}) {
      const FontMatch m = TtfFonts::Find(TtfFonts::Family(face), bold);
      const std::string label = std::string(TtfFonts::Family(face)) + (bold ? " bold" : "");
      EXPECT_TRUE(m.exact) << label << " came as " << m.family << " " << m.file;
      EXPECT_TRUE(std::filesystem::is_regular_file(m.file)) << label << ": " << m.file;
      EXPECT_EQ(m.bold, bold) << label << ": " << m.file;
      EXPECT_EQ(TtfFonts::FontFile(face, bold), m.file) << label;
    }
  }
  EXPECT_EQ(TtfFonts::MissingFonts(), "");
}

// A family that is not installed is reported as such, with the stand-in
// fontconfig offers, never passed off as the real thing.
TEST(TtfFonts, AMissingFamilyIsNotTakenForFound) {
  const FontMatch m = TtfFonts::Find("Klevaria No Such Family", false);
  EXPECT_FALSE(m.exact);
  EXPECT_NE(m.family, "Klevaria No Such Family");
  const std::string message = TtfFonts::DescribeMissing(Face::Comic, m);
  EXPECT_NE(message.find("\"Comfortaa\""), std::string::npos) << message;
  EXPECT_NE(message.find("fonts-comfortaa"), std::string::npos) << message;
  if (!m.file.empty()) {
    EXPECT_NE(message.find(m.family), std::string::npos) << message;
  }
  EXPECT_EQ(TtfFonts::DescribeMissing(Face::Comic, FontMatch{}).find("instead"), std::string::npos);
}

TEST(TtfFonts, RendersCyrillicInEveryFace) {
  TtfFonts fonts;
  for (Face face : {Face::Comic, Face::Arial, Face::Courier}) {
    TextRaster r = fonts.Render(FontSpec{face, 16, true}, "Клевария");
    EXPECT_GT(r.width, 40) << TtfFonts::Family(face);
    EXPECT_GT(r.height, 10) << TtfFonts::Family(face);
    int inked = 0;
    for (uint8_t c : r.coverage) inked += c > 128;
    EXPECT_GT(inked, 50) << TtfFonts::Family(face);
  }
}

}  // namespace
}  // namespace klv
