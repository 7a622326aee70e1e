#pragma once
// Turns a stick's two axes into the presses and releases of the four
// directions, as a D-pad would give them. Pressing takes a firm push and
// releasing a clear return towards the centre, so a stick resting near the
// threshold does not flicker between the two.

#include <functional>

#include "platform/platform.h"

namespace klv {

class PadDirections {
 public:
  static constexpr int kPress = 20000;    // of 32767
  static constexpr int kRelease = 12000;  // below this the direction is let go

  using Emit = std::function<void(PadButton, bool down)>;
  // One axis moved: axis 0 is left-right, 1 is up-down (negative up/left).
  void Axis(int axis, int value, const Emit& emit);
  // Forgets whatever is held, without a release (the pad is gone).
  void Reset() { held_[0] = held_[1] = 0; }

 private:
  int held_[2] = {0, 0};  // per axis: -1, 0 or +1
};

}  // namespace klv
