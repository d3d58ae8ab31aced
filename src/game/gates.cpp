#include "game/gates.h"

#include "platform/win32.h"

std::uint32_t frameGateLast = 0;
std::uint32_t playerStepGateLast = 0;
std::uint32_t ghostStepGateLast = 0;
std::uint32_t blinkGateLast = 0;

namespace {

// Unsigned difference, so the clock's wrap after 49.7 days changes nothing.
bool Fire(std::uint32_t& last, std::uint32_t boundMs) {
  const std::uint32_t now = timeGetTime();
  if (now - last > boundMs) {
    last = now;
    return true;
  }
  return false;
}

}  // namespace

bool FrameGate() { return Fire(frameGateLast, 16); }
bool PlayerStepGate() { return Fire(playerStepGateLast, 5); }
bool GhostStepGate() { return Fire(ghostStepGateLast, 10); }
bool BlinkGate() { return Fire(blinkGateLast, 500); }
