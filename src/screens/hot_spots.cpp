#include "screens/hot_spots.h"

namespace klv {

namespace {

// The first main-menu spot starts at 228 although its button is drawn from
// Y 226; the others start at their buttons' Y.
constexpr HotSpot kMenuSpots[] = {
    {Spot::Item1, 261, 228, 0, 0, 1, true}, {Spot::Item2, 261, 272, 0, 0, 2, true},
    {Spot::Item3, 261, 322, 0, 0, 3, true}, {Spot::Item4, 261, 370, 0, 0, 4, true},
    {Spot::Item5, 261, 419, 0, 0, 5, true}, {Spot::Item6, 261, 468, 0, 0, 6, true},
};

constexpr HotSpot kOptionSpots[] = {
    {Spot::Win, 303, 229, 390, 248, 1, false},       {Spot::Full, 448, 229, 590, 248, 1, false},
    {Spot::MusicOn, 303, 277, 335, 296, 2, false},   {Spot::MusicOff, 393, 277, 434, 296, 2, false},
    {Spot::SoundOn, 303, 325, 335, 344, 3, false},   {Spot::SoundOff, 393, 325, 434, 344, 3, false},
    {Spot::TextField, 301, 366, 590, 397, 4, false}, {Spot::OptBack, 42, 464, 145, 488, 5, false},
};

constexpr HotSpot kHiScoreSpots[] = {
    {Spot::Item1, 40, 465, 222, 484, 1, false},
    {Spot::Item2, 372, 465, 634, 484, 2, false},
    {Spot::Item3, 41, 505, 145, 529, 3, false},
};

constexpr HotSpot kHelpSpots[] = {
    {Spot::Item1, 40, 465, 200, 482, 1, false},
    {Spot::Item2, 501, 465, 620, 482, 2, false},
    {Spot::Item3, 41, 505, 145, 529, 3, false},
};

constexpr HotSpot kQuestionSpots[] = {
    {Spot::Yes, 320, 253, 380, 280, 1, false},
    {Spot::No, 430, 253, 483, 280, 2, false},
};

constexpr HotSpot kNameEntrySpots[] = {
    {Spot::Check, 376, 378, 399, 401, 0, false},
};

}  // namespace

std::span<const HotSpot> HotSpotsOf(std::string_view gameState) {
  if (gameState == "Menu") return kMenuSpots;
  if (gameState == "Options") return kOptionSpots;
  if (gameState == "HiScores") return kHiScoreSpots;
  if (gameState == "Help") return kHelpSpots;
  if (gameState == "Exit?" || gameState == "ExitGame?") return kQuestionSpots;
  if (gameState == "EnterName") return kNameEntrySpots;
  return {};
}

bool SpotContains(const HotSpot& spot, int x, int y, int buttonWidth, int buttonHeight) {
  const int right = spot.SizedByButton ? spot.Left + buttonWidth : spot.Right;
  const int bottom = spot.SizedByButton ? spot.Top + buttonHeight : spot.Bottom;
  return spot.Left < x && x < right && spot.Top < y && y < bottom;
}

}  // namespace klv
