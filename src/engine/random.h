#pragma once
// The game's single pseudo-random generator: every random choice of play is
// one draw from it, so a seed and a run of inputs replay the same game.

#include <cstdint>

namespace klv {

class Random {
 public:
  explicit Random(uint64_t seed = 1) { Seed(seed); }
  void Seed(uint64_t seed) {
    state_ = seed ^ 0x9E3779B97F4A7C15ull;
    if (state_ == 0) state_ = 1;
  }
  // A uniform integer from 0 to n - 1; 0 when n <= 0.
  int Below(int n) {
    if (n <= 0) return 0;
    return static_cast<int>((static_cast<uint64_t>(Next32()) * static_cast<uint64_t>(n)) >> 32);
  }
  uint32_t Next32() {
    // xorshift64*: small, fast and good enough for a game.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
  }
  uint64_t State() const { return state_; }
  // Puts the generator back to a state State() gave (a replay starts so).
  void SetState(uint64_t state) { state_ = state == 0 ? 1 : state; }

 private:
  uint64_t state_ = 1;
};

}  // namespace klv
