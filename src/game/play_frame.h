// One gated play frame: collisions, input, ghosts, movement, dots, drawing.
#pragma once

#include <cstdint>

#include "platform/win32.h"

void PlayFrame();
void CheckCollisions();
void ScoreBookkeeping();
bool RectsOverlap(const RECT& a, const RECT& b);

// What the frame's input read saw; read is false when the frame ended
// before reading input.
struct FrameKeys {
  bool read = false;
  bool left = false;
  bool right = false;
  bool up = false;
  bool down = false;
  bool escape = false;
};
extern FrameKeys lastFrameKeys;

// Called at the end of every play frame that passed the frame gate, with
// the clock reading the gate took (the simulation runner's trace).
using PlayFrameWatcher = void (*)(std::uint32_t gateTime, const FrameKeys& keys);
extern PlayFrameWatcher playFrameWatcher;
