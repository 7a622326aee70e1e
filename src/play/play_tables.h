#pragma once
// Constant data of play: fish and object kinds, the quota icons and labels,
// the seaweed of each scene, the lines of the water band. The drawing depths
// are in base/depths.h with those of the screens.

#include <array>
#include <cstdint>

#include "base/depths.h"
#include "engine/rect.h"

namespace klv {

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

// The fish kinds, numbered as their pictures ("Fish3L" is a perch swimming
// left), their quota icons and the quota count them.
enum class FishKind : uint8_t {
  Ukleyka = 1,  // bleak
  Plotva,       // roach
  Okun,         // perch
  Karas,        // crucian carp
  Krasnoperka,  // rudd
  Leshch,       // bream
  Sazan,        // carp
  Som,          // catfish
  Shchuka,      // pike
  Sudak,        // zander
};
constexpr int kFishKindCount = 10;

struct FishKindInfo {
  FishKind Kind;
  const char* Name;    // as the help pages call it
  uint8_t Value;       // points when landed
  uint8_t RestFrames;  // extra animation ticks on frame 0 between swim cycles
};
// Indexed by kind 1..10; entry 0 unused.
inline constexpr std::array<FishKindInfo, 11> kFishKinds = {{
    {FishKind{}, "", 0, 0},
    {FishKind::Ukleyka, "Уклейка", 10, 2},
    {FishKind::Plotva, "Плотва", 10, 2},
    {FishKind::Okun, "Окунь", 10, 2},
    {FishKind::Karas, "Карась", 10, 2},
    {FishKind::Krasnoperka, "Краснопёрка", 10, 2},
    {FishKind::Leshch, "Лещ", 20, 1},
    {FishKind::Sazan, "Сазан", 50, 1},
    {FishKind::Som, "Сом", 50, 0},
    {FishKind::Shchuka, "Щука", 100, 2},
    {FishKind::Sudak, "Судак", 100, 0},
}};
constexpr FishKind kBottomFishKind = FishKind::Som;  // always swims at kBottomFishY
constexpr int kBottomFishY = 500;
constexpr FishKind kFlatFishKind = FishKind::Shchuka;  // hangs almost flat when hooked
constexpr FishKind kSpinyFishKind = FishKind::Sudak;   // its back stings; only the tail end is safe
constexpr int kSpinySafeLength = 55;
constexpr int kHookPointX = 3;  // the hook's point, from the hook's left edge

// The stinging body of a spiny fish whose box is at (x, y): all but its
// trailing kSpinySafeLength pixels, reaching a little above the fish and to
// its belly's 14th pixel from the bottom (that row still stings).
constexpr Rect SpinyStingZone(int x, int y, int width, int height, bool facesLeft) {
  const int f = facesLeft ? kSpinySafeLength : 0;
  return {x + kSpinySafeLength - f, y - 17, x + width - f + 1, y + height - 13};
}
constexpr int kStingPenalty = 50;
constexpr double kFishTimeBonus = 0.5;  // seconds added when a fish is landed

// The things that are not fish, numbered as their pictures ("Obj3").
enum class ObjectKind : uint8_t {
  Boot = 1,    // junk
  AlarmClock,  // junk that costs time
  Bottle,      // a find
  Hourglass,   // a find that gives time
  Shell,       // a treasure lying on the bottom
};
constexpr int kObjectKindCount = 5;

struct ObjectKindInfo {
  ObjectKind Kind;
  const char* Name;  // as the help pages call it
  int Value;         // points when landed
  int TimeSign;      // the time effect is TimeSign * (TimeLimit div 10) seconds
};
// Indexed by kind 1..5; entry 0 unused.
inline constexpr std::array<ObjectKindInfo, 6> kObjectKinds = {{
    {ObjectKind{}, "", 0, 0},
    {ObjectKind::Boot, "Старый сапог", -50, 0},
    {ObjectKind::AlarmClock, "Ржавый будильник", -50, -1},
    {ObjectKind::Bottle, "Бутылка с запиской", 50, 0},
    {ObjectKind::Hourglass, "Песочные часы", 0, 1},
    {ObjectKind::Shell, "Ракушка с жемчужиной", 100, 0},
}};
constexpr ObjectKind kBottomObjectKind = ObjectKind::Shell;
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
