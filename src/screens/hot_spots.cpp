#include "screens/hot_spots.h"

namespace klv {

bool SpotContains(const HotSpot& spot, int x, int y, int buttonWidth, int buttonHeight) {
  const Rect& b = spot.Bounds;
  const int right = spot.SizedByButton ? b.Left + buttonWidth : b.Right;
  const int bottom = spot.SizedByButton ? b.Top + buttonHeight : b.Bottom;
  return b.Left < x && x < right && b.Top < y && y < bottom;
}

}  // namespace klv
