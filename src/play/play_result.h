#pragma once
// What the screens see of a game: the angler's score and the level reached,
// for the name entry and the high-score table.

#include <cstdint>

#include "settings/score.h"

namespace klv {

class PlayResult {
 public:
  virtual ~PlayResult() = default;
  // The local angler's score; zero without one.
  virtual Score AnglerScore() const = 0;
  virtual int Level() const = 0;
};

}  // namespace klv
