#pragma once
// What the script runner, the tools and the tests read of a game, as it stands
// between two frames: a plain copy, taken by Game::Snapshot. Reading it
// changes nothing of the game.

#include <array>
#include <cstdint>

#include "base/screen.h"

namespace klv {

struct GameSnapshot {
  Screen Shown = Screen::None;  // the screen on show
  uint8_t FrameCounter = 0;     // the 8-bit frame number
  bool Held = false;            // play stands still (Timer2 runs)
  bool Paused = false;          // held by the player or a lost focus
  bool GameFinished = false;
  bool Terminated = false;  // the program is ending

  // The round.
  int LevelNo = 0;
  int32_t Score = 0;       // unmasked
  int32_t RoundClock = 0;  // 10-ms ticks left
  int FishCount = 0;
  int ObjectCount = 0;
  int Sprites = 0;  // live sprites in the engine

  // The screens.
  int MenuPos = 0;
  int HelpPage = 0;
  int LastMouseX = 0;  // where the pointer was last seen, in back-buffer pixels
  int LastMouseY = 0;
  // Which rows of the high-score table keep a replay.
  std::array<bool, 10> RowHasReplay{};

  int FrameIntervalMs = 0;   // the frame timer's interval
  uint64_t Frames = 0;       // frames run since start-up
  uint64_t RandomState = 0;  // the generator, as a replay starts from it
};

}  // namespace klv
