#pragma once
// A 5 by 7 pixel font for the labels of icf-dump's contact sheet: digits,
// Latin capitals (small letters are drawn as capitals) and a few signs.

#include <cstdint>
#include <string_view>

#include "engine/surface.h"

namespace klv::tools {

constexpr int kGlyphWidth = 6;  // 5 pixels and a gap
constexpr int kGlyphHeight = 8;

// Draws text with its top-left at (x, y), each font pixel scale by scale.
void DrawText(Surface& s, int x, int y, std::string_view text, uint32_t colour, int scale = 1);

}  // namespace klv::tools
