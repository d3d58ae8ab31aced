// The current stage: walls and dots, read from the stage files.
#pragma once

#include <cstdint>

inline constexpr int kMazeRows = 18;
inline constexpr int kMazeColumns = 20;
inline constexpr int kCellSize = 13;

struct MazeGrid {
  std::int32_t walls[kMazeRows][kMazeColumns];
  std::int32_t dots[kMazeRows][kMazeColumns];
};

extern MazeGrid maze;

void ReadStageMap(std::int32_t stage);
void ReadStageScript(std::int32_t stage);
void StartStage();
void RestartActors();
