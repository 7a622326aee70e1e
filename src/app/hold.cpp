#include "app/hold.h"

#include "platform/platform.h"

namespace klv {

void Hold::Set(MessageTimer& timer, bool on) {
  timer.SetEnabled(on, platform_.NowMicros());
}

void Hold::StopClock() {
  Set(clock_, false);
}

void Hold::StartHold() {
  Set(hold_, true);
}

void Hold::HoldForBonus() {
  Set(clock_, false);
  Set(hold_, true);
  Set(bonus_, true);
}

void Hold::StopBonus() {
  Set(bonus_, false);
}

void Hold::PausePlay() {
  paused_ = true;
  Set(hold_, true);
  Set(clock_, false);
}

void Hold::ResumePlay() {
  paused_ = false;
  Set(hold_, false);
  Set(clock_, true);
}

bool Hold::EndHold() {
  if (paused_ || bonus_.Enabled()) return false;
  Set(hold_, false);
  Set(clock_, true);
  return true;
}

void Hold::Release() {
  paused_ = false;
  Set(hold_, false);
}

void Hold::Stop() {
  Set(clock_, false);
  Set(hold_, false);
}

void Hold::Reset() {
  Set(clock_, false);
  Set(hold_, false);
  Set(bonus_, false);
  paused_ = false;
}

}  // namespace klv
