// The record of every figure that moves, with its animation clock and mode
// timer.
#pragma once

#include <cstdint>

enum Direction : std::int32_t { Left = 0, Right = 1, Up = 2, Down = 3 };
enum GhostMode : std::int32_t { Chase = 0, Blue = 1, Wander = 2, Eyes = 3 };
enum PlayerState : std::int32_t { Playing = 2, Caught = 4 };

class Actor {
 public:
  void SetAnimation(std::int32_t frames, std::uint32_t periodMs);
  // True when the frame changed.
  bool AdvanceAnimation();

  std::int32_t flashPhase = 0;
  std::int32_t state = 0;      // a GhostMode for a ghost, a PlayerState for the player
  std::int32_t direction = 0;  // a Direction
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t homeX = 0;
  std::int32_t homeY = 0;
  std::int32_t frame = 0;
  std::int32_t frameCount = 0;
  std::uint32_t lastCheck = 0;
  std::uint32_t lastAdvance = 0;
  std::uint32_t framePeriod = 0;
  std::uint32_t modeDuration = 0;
  std::uint32_t modeStart = 0;
};
