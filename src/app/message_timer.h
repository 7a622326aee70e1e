#pragma once
// The message timers of play (Timer1..Timer4): each fires its handler every
// interval on the game's clock while enabled.

#include <cstdint>

namespace klv {

class MessageTimer {
 public:
  explicit MessageTimer(uint32_t intervalMs) : intervalUs_(uint64_t(intervalMs) * 1000) {}

  bool Enabled() const { return enabled_; }
  // Enabling starts the interval afresh from now; enabling an enabled timer
  // keeps its phase.
  void SetEnabled(bool on, uint64_t nowUs);
  uint64_t IntervalUs() const { return intervalUs_; }
  // When the next tick falls due (only meaningful while enabled).
  uint64_t DueUs() const { return dueUs_; }
  // Called when a tick has been run: schedules the next one. Missed
  // intervals are caught up one tick at a time, except after a stall of more
  // than a second, which is dropped.
  void Ticked(uint64_t nowUs);

 private:
  uint64_t intervalUs_;
  uint64_t dueUs_ = 0;
  bool enabled_ = false;
};

}  // namespace klv
