#include "app/message_timer.h"

namespace klv {

void MessageTimer::SetEnabled(bool on, uint64_t nowUs) {
  if (on && !enabled_) dueUs_ = nowUs + intervalUs_;
  enabled_ = on;
}

void MessageTimer::Ticked(uint64_t nowUs) {
  dueUs_ += intervalUs_;
  constexpr uint64_t kStallUs = 1000000;
  if (nowUs > dueUs_ + kStallUs) dueUs_ = nowUs + intervalUs_;
}

}  // namespace klv
