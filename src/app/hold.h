#pragma once
// Whether play runs or stands still: the pause flag and the timers that
// decide it, with the sequences that start and end a hold written once.
// The round clock (Timer1) counts down every 10 ms; while the hold timer
// (Timer2) runs, every play sprite stands still, and its first tick, two
// seconds on, ends the hold unless play is paused or the time bonus
// (Timer4) is still being counted. Nothing else writes the pause or these
// timers; the game's scheduler only ticks them.

#include "app/message_timer.h"
#include "play/play_context.h"

namespace klv {

class Platform;

class Hold : public PlayHold {
 public:
  explicit Hold(Platform& platform) : platform_(platform) {}

  bool Held() const override { return hold_.Enabled(); }
  bool Paused() const override { return paused_; }
  bool BonusRunning() const override { return bonus_.Enabled(); }
  // The round's rules ask for these through the game's frame.
  void StopClock();
  // A new game's "Готовсь!": its end starts the clock.
  void StartHold();
  // The level is complete: the clock stops, play holds and the time left
  // turns into points.
  void HoldForBonus();
  void StopBonus();

  // Holds play with the pause: the clock stops until ResumePlay. A question,
  // a message box, a lost focus and the end of a game hold play this way.
  void PausePlay();
  // Back to running play: the pause and the hold end and the clock runs.
  void ResumePlay();
  // The hold timer's tick: ends the hold and starts the clock, unless play is
  // paused or the bonus is still being counted. Returns whether it ended.
  bool EndHold();
  // The pause and the hold end, the clock as it is: play is being left.
  void Release();
  // The clock and the hold stop; the pause stays as it is.
  void Stop();
  // Every timer stopped and no pause: a game starts from here.
  void Reset();

  const MessageTimer& Clock() const { return clock_; }
  const MessageTimer& HoldTimer() const { return hold_; }
  const MessageTimer& Bonus() const { return bonus_; }

 private:
  // The game's scheduler ticks the timers (Timer1, Timer2, Timer4).
  friend class Game;
  MessageTimer& TickedClock() { return clock_; }
  MessageTimer& TickedHold() { return hold_; }
  MessageTimer& TickedBonus() { return bonus_; }

  void Set(MessageTimer& timer, bool on);

  Platform& platform_;
  bool paused_ = false;
  MessageTimer clock_{10};   // Timer1, the round clock
  MessageTimer hold_{2000};  // Timer2
  MessageTimer bonus_{128};  // Timer4, the time bonus
};

}  // namespace klv
