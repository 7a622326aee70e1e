#pragma once
// Small arithmetic shared by the play sprites.

#include <cmath>
#include <cstdint>
#include <limits>

namespace klv {

// The nearest whole number, halves to even, kept inside int.
inline int RoundHalfEven(double v) {
  if (std::isnan(v)) return 0;
  constexpr double kMax = std::numeric_limits<int>::max();
  constexpr double kMin = std::numeric_limits<int>::min();
  if (v >= kMax) return std::numeric_limits<int>::max();
  if (v <= kMin) return std::numeric_limits<int>::min();
  return static_cast<int>(std::nearbyint(v));
}

// Counts down a byte counter without going below zero.
inline void CountDown(uint8_t& counter) {
  if (counter > 0) --counter;
}

}  // namespace klv
