// Ghost modes, direction choices and movement, and their shared random
// sequence.
#pragma once

#include <cstdint>

class Actor;

extern std::uint32_t ghostRandomState;  // 1 at program start, never reseeded
// One draw: 0 to 32767.
std::int32_t GhostRandom();
bool GhostDirectionOpen(const Actor& ghost, std::int32_t direction);
// Mode updates for all four ghosts, then their direction choices.
void UpdateGhosts();
// One pixel for each ghost whose way is open, with wrap-around.
void MoveGhosts();

// The pieces of UpdateGhosts, for one ghost.
void UpdateGhostMode(Actor& ghost, std::uint32_t now);
void ChooseGhostDirection(Actor& ghost);
