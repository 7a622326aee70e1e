#pragma once
// What play is given of the game around it: the generator every random
// choice of play draws from, the two image lists, the sprite engine, the
// hold (whether play stands still, and the timers the round's rules start
// and stop), the sound effects, the angler's controls and the screen on
// show. The game's window fills it in and schedules; play decides. A play
// test fills one in with its own pieces.

#include "base/screen.h"

namespace klv {

class InputStates;
class PictureCollection;
class Random;
class SpriteEngine;

// The timers of play as the round's rules see them. The round clock
// (Timer1) counts the level's time down every 10 ms; while the hold
// (Timer2) runs, every play sprite stands still; the time bonus (Timer4)
// turns the time left into points every 128 ms.
class PlayHold {
 public:
  virtual ~PlayHold() = default;
  virtual bool Held() const = 0;
  virtual bool Paused() const = 0;  // held by the player or by a lost focus
  virtual bool BonusRunning() const = 0;
  virtual void StopClock() = 0;
  // A new game's "Готовсь!": its end starts the clock.
  virtual void StartHold() = 0;
  // The level is complete: the clock stops, play holds and the time left
  // turns into points.
  virtual void HoldForBonus() = 0;
  virtual void StopBonus() = 0;
};

// The four sound effects of play ("Up", "Poimal", "Level", "Over").
class SoundEffects {
 public:
  virtual ~SoundEffects() = default;
  // Plays only while the sound setting is on.
  virtual void PlayEffect(const char* name) = 0;
  virtual void StopEffect(const char* name) = 0;
  virtual void SilenceAll() = 0;
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
  SoundEffects& Effects;
  const InputStates& Input;  // walk left, walk right, lower
  MouseFlags& Mouse;
  // Fish, objects and bubbles leave once play is no longer on screen, the
  // angler once the menu is back.
  const Screen& OnScreen;
};

}  // namespace klv
