// The four shared millisecond gates that pace play and the screens. Each
// fires when more than its bound has passed since it last fired.
#pragma once

#include <cstdint>

extern std::uint32_t frameGateLast;
extern std::uint32_t playerStepGateLast;
extern std::uint32_t ghostStepGateLast;
extern std::uint32_t blinkGateLast;

bool FrameGate();       // more than 16 ms
bool PlayerStepGate();  // more than 5 ms
bool GhostStepGate();   // more than 10 ms
bool BlinkGate();       // more than 500 ms
