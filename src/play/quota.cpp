#include "play/quota.h"

#include "engine/random.h"

namespace klv {

int BuildQuota(int levelNo, Random& rng, TargetTable& targets) {
  targets = TargetTable{};
  int n = 0;
  if (levelNo <= 15) {
    if (levelNo % 3 != 0) {
      // A staircase: kind 1 most wanted, the last kind once.
      n = (levelNo / 3) * 2 + levelNo % 3;
      for (int i = 1; i <= n; ++i) targets[i] = {uint8_t(i), uint16_t(n - i + 1)};
    } else {
      n = 1;
      targets[1] = {uint8_t(levelNo / 3), uint16_t((levelNo / 3) * 5)};
    }
  } else if (levelNo % 3 == 1) {
    n = 10;
    for (int i = 1; i <= n; ++i) targets[i] = {uint8_t(i), uint16_t(((levelNo - 16) / 3) * 3 + 10)};
  } else if (levelNo % 3 == 2) {
    n = 3;
    for (int i = 1; i <= n; ++i) targets[i] = {uint8_t(1 + rng.Below(10)), uint16_t(levelNo * 2)};
  } else {
    n = 1;
    targets[1] = {uint8_t(1 + rng.Below(10)), uint16_t(levelNo * 3)};
  }
  return n;
}

}  // namespace klv
