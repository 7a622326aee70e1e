#pragma once
// The game's two text colours: gold for the credit, the selected answers,
// the name being typed and the rising points; blue for the quota and the
// options' text field.

#include <cstdint>

namespace klv {

// Opaque pixels as the engine packs them (0xAARRGGBB).
inline constexpr uint32_t kTextGold = 0xFFFFD200u;  // 255, 210, 0
inline constexpr uint32_t kTextBlue = 0xFF287DFFu;  // 40, 125, 255

}  // namespace klv
