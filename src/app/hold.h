#pragma once
// Whether play runs or stands still: the pause flag and the timers that
// decide it, with the sequences that start and end a hold written once.
// The round clock (Timer1) counts down every 10 ms; while the hold timer
// (Timer2) runs, every play sprite stands still, and its first tick, two
// seconds on, ends the hold unless play is paused or the time bonus
// (Timer4) is still being counted.

#include "app/message_timer.h"
#include "play/play_context.h"

namespace klv {

class Platform;

class Hold : public PlayHold {
 public:
  Hold(Platform& platform, bool& paused, MessageTimer& clock, MessageTimer& hold,
       MessageTimer& bonus)
      : platform_(platform), paused_(paused), clock_(clock), hold_(hold), bonus_(bonus) {}

  bool Held() const override { return hold_.Enabled(); }
  bool Paused() const override { return paused_; }
  bool BonusRunning() const override { return bonus_.Enabled(); }
  void StopClock() override;
  void StartHold() override;
  void HoldForBonus() override;
  void StopBonus() override;

  // Holds play with the pause: the clock stops until ResumePlay. A question,
  // a message box, a lost focus and the end of a game hold play this way.
  void PausePlay();
  // Back to running play: the pause and the hold end and the clock runs.
  void ResumePlay();
  // The hold timer's tick: ends the hold and starts the clock, unless play is
  // paused or the bonus is still being counted. Returns whether it ended.
  bool EndHold();

 private:
  void Set(MessageTimer& timer, bool on);

  Platform& platform_;
  bool& paused_;
  MessageTimer& clock_;
  MessageTimer& hold_;
  MessageTimer& bonus_;
};

}  // namespace klv
