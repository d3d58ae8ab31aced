#include "actors/actor.h"

#include "platform/win32.h"

void Actor::SetAnimation(std::int32_t frames, std::uint32_t periodMs) {
  const std::uint32_t now = timeGetTime();
  lastCheck = now;
  lastAdvance = now;
  frameCount = frames;
  framePeriod = periodMs;
  frame = 0;
}

bool Actor::AdvanceAnimation() {
  lastCheck = timeGetTime();
  if (lastCheck - lastAdvance <= framePeriod) {
    return false;
  }
  // One frame per call at most: a slow caller skips periods rather than
  // racing through frames to catch up.
  lastAdvance = lastCheck;
  frame += 1;
  if (frame >= frameCount) {
    frame = 0;
  }
  return true;
}
