#pragma once
// The frame timer: a frame falls due when at least the interval has passed
// since the last one, only while the window is active. A late frame is run
// once; there is no burst of catch-up frames after a stall.

#include <cstdint>

namespace klv {

class FrameTimer {
 public:
  int Interval() const { return intervalMs_; }
  void SetInterval(int ms) { intervalMs_ = ms < 0 ? 0 : ms; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on, uint64_t nowUs) {
    if (on && !enabled_) lastTickUs_ = nowUs;
    enabled_ = on;
  }
  // Frames stop while the application is inactive.
  void SetActive(bool active, uint64_t nowUs) {
    if (active && !active_) lastTickUs_ = nowUs;
    active_ = active;
  }
  bool Running() const { return enabled_ && active_; }
  uint64_t DueUs() const { return lastTickUs_ + uint64_t(intervalMs_) * 1000; }
  // True (and the tick is taken) when a frame is due now. LagCount is the
  // number of whole intervals since the previous frame, at least 1.
  bool TakeTick(uint64_t nowUs, int* lagCount = nullptr) {
    if (!Running() || nowUs < DueUs()) return false;
    uint64_t elapsedMs = (nowUs - lastTickUs_) / 1000;
    uint64_t divisor = intervalMs_ < 1 ? 1 : uint64_t(intervalMs_);
    if (lagCount) *lagCount = static_cast<int>(elapsedMs / divisor > 0 ? elapsedMs / divisor : 1);
    lastTickUs_ = nowUs;
    ++frames_;
    return true;
  }
  uint64_t Frames() const { return frames_; }

 private:
  int intervalMs_ = 16;
  bool enabled_ = false;
  bool active_ = true;
  uint64_t lastTickUs_ = 0;
  uint64_t frames_ = 0;
};

}  // namespace klv
