#pragma once
// A score as the game holds it, in play and in the high-score table.

#include <cstdint>

namespace klv {

// Every score the game holds is the true score XOR this mask (the upper 16
// bits pass unchanged); Config.cfg keeps them masked too.
constexpr uint32_t ScoreMask = 27491;
constexpr uint32_t MaskScore(uint32_t plain) {
  return plain ^ ScoreMask;
}
constexpr uint32_t UnmaskScore(uint32_t masked) {
  return masked ^ ScoreMask;
}

// Kept masked; unmasked only to compare (as unsigned 32-bit numbers), show
// or send. Points added wrap at 32 bits, so a game that lost more than it
// won shows below zero and compares as a huge number.
class Score {
 public:
  constexpr Score() = default;  // zero
  static constexpr Score Plain(uint32_t plain) { return Score(MaskScore(plain)); }
  static constexpr Score Masked(uint32_t masked) { return Score(masked); }

  // Unmasked, unsigned: what is compared and sent.
  constexpr uint32_t Value() const { return UnmaskScore(masked_); }
  // As the game shows it: the same bits, signed.
  constexpr int32_t Shown() const { return static_cast<int32_t>(Value()); }
  // As held in memory and in Config.cfg.
  constexpr uint32_t MaskedValue() const { return masked_; }
  // Points won, or lost when negative: the one way a score changes in play.
  constexpr void Add(int points) { masked_ = MaskScore(Value() + static_cast<uint32_t>(points)); }

  constexpr bool operator==(const Score&) const = default;

 private:
  explicit constexpr Score(uint32_t masked) : masked_(masked) {}
  uint32_t masked_ = MaskScore(0);
};

}  // namespace klv
