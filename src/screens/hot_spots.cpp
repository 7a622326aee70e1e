#include "screens/hot_spots.h"

namespace klv {

bool SpotContains(const HotSpot& spot, int x, int y, int buttonWidth, int buttonHeight) {
  const int right = spot.SizedByButton ? spot.Left + buttonWidth : spot.Right;
  const int bottom = spot.SizedByButton ? spot.Top + buttonHeight : spot.Bottom;
  return spot.Left < x && x < right && spot.Top < y && y < bottom;
}

}  // namespace klv
