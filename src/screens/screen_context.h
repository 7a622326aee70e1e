#pragma once
// What the screens are given of the game: the menus' pictures, the sprite
// engine, the canvas and back buffer the texts are drawn on, the settings
// record, the hold (read only), the frame timer the speed keys change, the
// angler's mouse flags, the platform's shell, the world-table service, the
// table's replays, and the flow for everything the game itself must do. The
// window fills it in; a screen never sees the window.

#include <array>
#include <string>

#include "online/world_submission.h"

namespace klv {

class Canvas;
class FrameTimer;
class GameFlow;
class PictureCollection;
class Platform;
class PlayHold;
class SpriteEngine;
class Surface;
struct Config;
struct MouseFlags;

struct ScreenContext {
  GameFlow& Flow;
  Platform& Shell;              // opening links, minimising the window
  const std::string& AppDir;    // the game's folder, with a trailing '/'
  PictureCollection& MenuImgs;  // the menus' pictures
  SpriteEngine& Engine;
  Canvas& Canvas1;
  Surface& BackBuffer;
  Config& Cfg;  // changed in place by the options and the table
  const PlayHold& Hold;
  FrameTimer& FrameTimer1;          // keypad - and + change its interval
  MouseFlags& Mouse;                // the angler's mouse steps and lowering
  int& LastMouseX;                  // where the pointer was last seen across
  const std::string& ScoreService;  // the world table's address; none when empty
  const WorldSubmissionStarter& StartSubmission;
  const std::array<std::string, 10>& RowReplays;  // one per table row, "" for none
};

}  // namespace klv
