#pragma once
// Constant data of play: fish and object kinds, the quota icons and labels,
// the seaweed of each scene, and the drawing depths of play sprites.

#include <array>
#include <cstdint>

namespace klv {

// Drawing depths, back to front.
constexpr int kDepthBackdrop = -10;
constexpr int kDepthBubble = -6;
constexpr int kDepthWeed = -5;
constexpr int kDepthLine = -4;  // line and hook
constexpr int kDepthObject = -2;
constexpr int kDepthFish = -1;  // also the angler, the quota icons, the time fill
constexpr int kDepthFront = 0;  // rod, wave, time bar frame
constexpr int kDepthFloat = 1;

// The water band and the lines that matter in it, in pixels.
constexpr int kHookTop = 225;         // the hook at rest; a bubble bursts here
constexpr int kHookStep = 6;          // the hook moves this far per frame
constexpr int kHookLowerLimit = 520;  // the hook goes down only while above this
constexpr int kLandingLine = 230;     // a catch lifted above this is landed
constexpr int kSinkLimit = 550;       // a hooked catch is never drawn lower
constexpr int kWaterTop = 230;        // fish and objects enter at 230 .. 529 - height

// The time bar along the bottom of the play screen: its frame's top-left
// corner, where its fill starts too.
constexpr int kTimeBarX = 187;
constexpr int kTimeBarY = 579;

struct FishKindInfo {
  uint8_t Value;       // points when landed
  uint8_t RestFrames;  // extra animation ticks on frame 0 between swim cycles
};
// Indexed by kind 1..10; entry 0 unused.
inline constexpr std::array<FishKindInfo, 11> kFishKinds = {{
    {0, 0},
    {10, 2},
    {10, 2},
    {10, 2},
    {10, 2},
    {10, 2},
    {20, 1},
    {50, 1},
    {50, 0},
    {100, 2},
    {100, 0},
}};
constexpr int kBottomFishKind = 8;  // always swims at kBottomFishY
constexpr int kBottomFishY = 500;
constexpr int kFlatFishKind = 9;    // hangs almost flat when hooked
constexpr int kSpinyFishKind = 10;  // its body stings; only the trailing end is safe
constexpr int kSpinySafeLength = 55;
constexpr int kHookPointX = 3;  // the hook's point, from the hook's left edge

// The stinging body of a spiny fish whose box is at (x, y), edges included:
// all but its trailing kSpinySafeLength pixels, reaching a little above the
// fish and not quite to its belly.
struct StingZone {
  int Left, Top, Right, Bottom;
};
constexpr StingZone SpinyStingZone(int x, int y, int width, int height, bool facesLeft) {
  const int f = facesLeft ? kSpinySafeLength : 0;
  return {x + kSpinySafeLength - f, y - 17, x + width - f, y + height - 14};
}
constexpr int kStingPenalty = 50;
constexpr double kFishTimeBonus = 0.5;  // seconds added when a fish is landed

struct ObjectKindInfo {
  int Value;     // points when landed
  int TimeSign;  // the time effect is TimeSign * (TimeLimit div 10) seconds
};
// Indexed by kind 1..5; entry 0 unused.
inline constexpr std::array<ObjectKindInfo, 6> kObjectKinds = {{
    {0, 0},
    {-50, 0},   // junk
    {-50, -1},  // junk that costs time
    {50, 0},    // a find
    {0, 1},     // a find that gives time
    {100, 0},   // a treasure lying on the bottom
}};
constexpr int kBottomObjectKind = 5;
constexpr int kBottomObjectY = 490;
constexpr int kHookedObjectFrame = 4;

// Quota icons by fish kind 1..10 (pictures 21..30 of the game images) and the
// columns of their remaining-count labels.
struct IconPlace {
  int X;
  int Y;
};
inline constexpr std::array<IconPlace, 11> kTargetIconPlaces = {{
    {0, 0},
    {99, 5},
    {169, 3},
    {235, 10},
    {282, 8},
    {346, 10},
    {396, 5},
    {482, 5},
    {524, 8},
    {588, 3},
    {706, 12},
}};
inline constexpr std::array<int16_t, 11> kTargetLabelColumns = {0,   112, 180, 240, 296, 354,
                                                                418, 484, 541, 622, 733};
constexpr int kTargetIconFirstPicture = 20;  // icon of kind k is picture 20 + k

// Seaweed of the three play scenes; a weed at x -200 is parked off screen.
struct WeedPlace {
  const char* Picture;
  int X;
  int Y;
};
inline constexpr std::array<std::array<WeedPlace, 3>, 4> kSceneWeeds = {{
    {{{nullptr, 0, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}}},
    {{{"Vodorosl1", 78, 305}, {"Vodorosl1", 590, 312}, {"Vodorosl2", -200, 0}}},
    {{{"Vodorosl1", 622, 313}, {"Vodorosl2", 376, 417}, {"Vodorosl2", -200, 0}}},
    {{{"Vodorosl1", 179, 311}, {"Vodorosl1", 600, 314}, {"Vodorosl2", 321, 420}}},
}};

// Animation period of a swimming fish or a crossing object, in frames, by
// the magnitude of its speed: Round(|speed| * 20 / 14).
constexpr int SwimPeriod(int speed) {
  int s = speed < 0 ? -speed : speed;
  // Round half to even; s * 20 / 14 is never exactly half for s in 3..9.
  return (s * 20 * 2 + 14) / 28;
}

}  // namespace klv
