#pragma once
// What play is given of the game around it: the generator every random
// choice of play draws from, the two image lists, the sprite engine, the
// hold (whether play stands still) and the angler's controls. The game's
// window fills it in and schedules; play decides, and the round reports
// what the window must do about it, holds and sounds (round_events.h). What play needs of the
// screen on show the window tells the round each frame. A play test fills one in with its own
// pieces.

namespace klv {

class InputStates;
class PictureCollection;
class Random;
class SpriteEngine;

// Whether play stands still, as play sees it: while the hold (Timer2) runs,
// every play sprite stands still; the time bonus (Timer4) turns the time
// left into points every 128 ms meanwhile.
class PlayHold {
 public:
  virtual ~PlayHold() = default;
  virtual bool Held() const = 0;
  virtual bool Paused() const = 0;  // held by the player or by a lost focus
  virtual bool BonusRunning() const = 0;
};

// The mouse as the angler's control: a move to the left or right asks for a
// step that way (cleared by the step that takes it), and the left button
// held lowers the hook.
struct MouseFlags {
  bool MouseStepLeft = false;
  bool MouseStepRight = false;
  bool MouseLowerHeld = false;
};

struct PlayContext {
  Random& Rng;
  PictureCollection& GameImgs;  // play's pictures, by name; the quota icons by number
  PictureCollection& MenuImgs;  // the backdrops of the menu and the scenes, by number
  SpriteEngine& Engine;
  PlayHold& Hold;
  const InputStates& Input;  // walk left, walk right, lower
  MouseFlags& Mouse;
};

}  // namespace klv
