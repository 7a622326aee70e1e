#pragma once
// The mouse's hot spots: rectangles that light when the pointer is strictly
// inside them, and the item each one selects. Each screen's spots are in its
// row of the screen table.

#include <array>
#include <cstdint>

#include "engine/rect.h"

namespace klv {

// One flag per spot. The high-score and help screens reuse the flags of the
// first three main-menu items.
enum class Spot : uint8_t {
  Item1,
  Item2,
  Item3,
  Item4,
  Item5,
  Item6,
  Win,
  Full,
  MusicOn,
  MusicOff,
  SoundOn,
  SoundOff,
  TextField,
  OptBack,
  Yes,
  No,
  Check,
  Count
};
inline constexpr int kSpotCount = static_cast<int>(Spot::Count);

struct HotSpot {
  Spot Flag;
  // The pointer lights the spot strictly inside these bounds: all four
  // edges are outside (Left < x < Right and Top < y < Bottom).
  Rect Bounds;
  // The item selected while lit, 0 for none.
  uint8_t MenuPos;
  // Main-menu spots take their width and height from button MenuPos:
  // Right = Left + width, Bottom = Top + height.
  bool SizedByButton;
};

// Whether the pointer is strictly inside the spot, whose size comes from the
// button for main-menu spots (buttonWidth, buttonHeight ignored otherwise).
bool SpotContains(const HotSpot& spot, int x, int y, int buttonWidth = 0, int buttonHeight = 0);

using HotSpotFlags = std::array<bool, kSpotCount>;

}  // namespace klv
