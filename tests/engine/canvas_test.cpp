#include "engine/canvas.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/surface.h"
#include "platform/headless_platform.h"

namespace klv {
namespace {

// Counts the texts the canvas asks the platform to render.
class CountingPlatform : public HeadlessPlatform {
 public:
  TextRaster RenderText(const FontSpec& font, const std::string& utf8) override {
    ++renders;
    return HeadlessPlatform::RenderText(font, utf8);
  }
  int renders = 0;
};

TEST(Canvas, RendersEachTextOnceAndKeepsTheCacheBounded) {
  CountingPlatform platform;
  Surface back(800, 600, 0xFF000000u);
  Canvas canvas;
  canvas.Attach(&back, &platform);
  canvas.SetFont(Face::Arial, 14, false, Rgb(255, 255, 255));
  for (int frame = 0; frame < 10; ++frame) canvas.TextOut(700, 567, "00000265");
  EXPECT_EQ(platform.renders, 1);
  // A long game shows thousands of different scores: the cache stays small.
  for (int score = 0; score < 2000; ++score) canvas.TextOut(700, 567, std::to_string(score));
  EXPECT_LE(canvas.CachedTexts(), 64u);
  // A different font is a different text.
  canvas.SetFont(Face::Arial, 20, false, Rgb(255, 255, 255));
  const int before = platform.renders;
  canvas.TextOut(80, 560, "1999");
  EXPECT_EQ(platform.renders, before + 1);
}

TEST(Canvas, TextIsDrawnInTheFontColourAndClipped) {
  HeadlessPlatform platform;
  Surface back(100, 40, 0xFF000000u);
  Canvas canvas;
  canvas.Attach(&back, &platform);
  canvas.SetFont(Face::Comic, 25, true, Rgb(255, 210, 0));
  canvas.TextOut(-5, 5, "\xCF\xE0\xF3\xE7\xE0");  // "Пауза" in code page 1251  // partly off the
                                                  // left edge: nothing breaks
  int gold = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) gold += back.At(x, y) == Rgb(255, 210, 0);
  EXPECT_GT(gold, 20);
}

}  // namespace
}  // namespace klv
