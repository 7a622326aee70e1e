#pragma once
// What the screens see of a game: the angler's score and the level reached,
// for the name entry and the high-score table.

#include <cstdint>

namespace klv {

class PlayResult {
 public:
  virtual ~PlayResult() = default;
  // The local angler's score, masked as every held score is.
  virtual uint32_t MaskedScore() const = 0;
  virtual int Level() const = 0;
};

}  // namespace klv
