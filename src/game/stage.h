// The current stage: walls and dots, read from the stage files.
#pragma once

#include <cstdint>

#include "formats/stage_files.h"

using formats::kCellSize;
using formats::kMazeColumns;
using formats::kMazeRows;

// An actor covers one cell from its top-left corner: kActorEdge to its right
// column and bottom row, kActorCentre to its middle.
inline constexpr int kActorSize = kCellSize;
inline constexpr int kActorEdge = kActorSize - 1;
inline constexpr int kActorCentre = kActorSize / 2;
// The corner of an actor in the last column or row. One that moves past it,
// or past 0, comes back on the opposite side.
inline constexpr int kLastColumnX = (kMazeColumns - 1) * kCellSize;
inline constexpr int kLastRowY = (kMazeRows - 1) * kCellSize;

// What a cell of MazeGrid::dots holds.
enum DotCell : std::int32_t { NoDot = 0, SmallDot = 1, LargeDot = 2 };

struct MazeGrid {
  std::int32_t walls[kMazeRows][kMazeColumns];
  std::int32_t dots[kMazeRows][kMazeColumns];
};

extern MazeGrid maze;

void ReadStageMap(std::int32_t stage);
void ReadStageScript(std::int32_t stage);
void StartStage();
void RestartActors();

// The wall value of a cell. A row or column beyond the grid reads the cell on
// the opposite edge of the same column or row, so a probe through an open
// border sees the tunnel the wrap-around leads into.
std::int32_t WallAt(std::int32_t row, std::int32_t column);
// True when the cell under the pixel point is open floor.
bool OpenAtPixel(std::int32_t px, std::int32_t py);
// Only 1 to 16 name a wall picture; anything else draws nothing.
inline bool IsWallPicture(std::int32_t value) { return value >= 1 && value <= 16; }
