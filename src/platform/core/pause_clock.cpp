#include "platform/pause_clock.h"

#include "platform/backend.h"

namespace platform {

bool PauseClock::Toggle(std::uint32_t raw) {
  if (paused_) {
    offset_ += raw - pausedAt_;
    paused_ = false;
    if (focused_) PostActivate(true);
    return true;
  }
  if (!allowed_ || !allowed_()) return false;
  // Frozen first, so the message carries the time the game stops at.
  pausedAt_ = raw;
  paused_ = true;
  PostActivate(false);
  return true;
}

bool PauseClock::FocusChanged(bool focused) {
  focused_ = focused;
  if (focused && paused_) return false;
  PostActivate(focused);
  return true;
}

}  // namespace platform
