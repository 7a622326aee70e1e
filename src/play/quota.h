#pragma once
// The level's quota: which fish kinds it asks for and how many of each.

#include <array>
#include <cstdint>

namespace klv {

class Random;

struct Target {
  uint8_t Kind = 0;   // fish kind 1..10
  uint16_t Left = 0;  // still wanted
};

// Entries 1..10 are used; entry 0 is unused so that entry numbers read as
// the game counts them.
using TargetTable = std::array<Target, 11>;

// Fills the quota of a level (levels count from 1) and returns its entry
// count (1..10). Levels 17, 18, 20, 21, ... draw their kinds from rng.
int BuildQuota(int levelNo, Random& rng, TargetTable& targets);

}  // namespace klv
