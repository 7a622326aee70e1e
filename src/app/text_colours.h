#pragma once
// The game's two text colours: gold for the credit, the selected answers,
// the name being typed and the rising points; blue for the quota and the
// options' text field.

#include <cstdint>

#include "engine/surface.h"

namespace klv {

inline constexpr uint32_t kTextGold = Rgb(255, 210, 0);
inline constexpr uint32_t kTextBlue = Rgb(40, 125, 255);

}  // namespace klv
