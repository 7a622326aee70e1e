#include "platform/pad_directions.h"

namespace klv {
namespace {

PadButton DirectionOf(int axis, int sign) {
  if (axis == 0) return sign < 0 ? PadButton::Left : PadButton::Right;
  return sign < 0 ? PadButton::Up : PadButton::Down;
}

}  // namespace

void PadDirections::Axis(int axis, int value, const Emit& emit) {
  if (axis < 0 || axis > 1) return;
  int& held = held_[axis];
  if (held != 0 && value * held < kRelease) {
    emit(DirectionOf(axis, held), false);
    held = 0;
  }
  if (held == 0 && (value >= kPress || value <= -kPress)) {
    held = value < 0 ? -1 : 1;
    emit(DirectionOf(axis, held), true);
  }
}

}  // namespace klv
