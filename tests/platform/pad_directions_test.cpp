#include "platform/pad_directions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace klv {
namespace {

std::string Name(PadButton b, bool down) {
  static const char* const kNames[] = {"up", "down", "left", "right", "a", "b", "start"};
  return std::string(down ? "+" : "-") + kNames[int(b)];
}

struct Case {
  const char* what;
  std::vector<std::pair<int, int>> moves;  // (axis, value)
  std::vector<std::string> events;
};

TEST(PadDirections, StickMovesBecomeDirectionPresses) {
  const Case cases[] = {
      {"a push down and back", {{1, 30000}, {1, 0}}, {"+down", "-down"}},
      {"a push up held while it wobbles",
       {{1, -25000}, {1, -32768}, {1, -21000}, {1, 0}},
       {"+up", "-up"}},
      {"a touch short of the press does nothing", {{0, 19999}, {0, -19999}, {0, 0}}, {}},
      {"between the thresholds the direction stays held",
       {{0, -20000}, {0, -12001}, {0, -15000}, {0, -11999}},
       {"+left", "-left"}},
      {"from one side straight to the other",
       {{0, 32767}, {0, -32768}, {0, 0}},
       {"+right", "-right", "+left", "-left"}},
      {"the axes are apart",
       {{0, 30000}, {1, 30000}, {0, 0}, {1, 0}},
       {"+right", "+down", "-right", "-down"}},
      {"other axes are not the stick", {{2, 32767}, {5, 32767}}, {}},
  };
  for (const Case& c : cases) {
    PadDirections stick;
    std::vector<std::string> got;
    auto emit = [&got](PadButton b, bool down) { got.push_back(Name(b, down)); };
    for (auto [axis, value] : c.moves) stick.Axis(axis, value, emit);
    EXPECT_EQ(got, c.events) << c.what;
  }
}

TEST(PadDirections, AfterAResetTheStickPressesAfresh) {
  PadDirections stick;
  std::vector<std::string> got;
  auto emit = [&got](PadButton b, bool down) { got.push_back(Name(b, down)); };
  stick.Axis(0, -30000, emit);
  stick.Axis(1, 30000, emit);
  stick.Reset();  // the pad is gone: no release
  EXPECT_EQ(got, (std::vector<std::string>{"+left", "+down"}));
  got.clear();
  stick.Axis(0, -30000, emit);  // plugged in again with the stick still left
  stick.Axis(0, 0, emit);
  EXPECT_EQ(got, (std::vector<std::string>{"+left", "-left"}));
}

}  // namespace
}  // namespace klv
