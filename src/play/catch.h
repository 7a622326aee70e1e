#pragma once
// A fish or object lifted above the water line, as the round lands it.

#include <cstdint>

namespace klv {

struct Catch {
  int Points;           // to the angler's score; junk and stings cost points
  double Seconds;       // to the round clock; junk that costs time takes some
  uint16_t SpawnLevel;  // only a catch of the level being played counts and shows
  uint8_t FishKind;     // 1..10 for a fish (the quota counts it), 0 for an object
  bool FromTheBottom;   // the treasure that lay on the bottom
};

}  // namespace klv
