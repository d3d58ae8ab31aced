// A stage as the tool sees it: a grid of cell kinds plus the five start cells.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/stage_files.h"

namespace stages {

using formats::kCellSize;
using formats::kMazeColumns;
using formats::kMazeRows;
using formats::kStageActors;  // the player, then ghosts 0 to 3

enum class Cell { Wall, Open, SmallDot, LargeDot };

struct CellPosition {
  int row = -1;
  int column = -1;
  bool operator==(const CellPosition&) const = default;
};

struct Stage {
  int number = 0;                         // position in the set, from 1
  std::string source;                     // file name, for messages
  std::array<int, kMazeRows> rowLines{};  // file line of each row, for messages
  Cell cells[kMazeRows][kMazeColumns] = {};
  std::array<CellPosition, kStageActors> starts{};

  bool IsOpen(int row, int column) const { return cells[row][column] != Cell::Wall; }
  bool HasDot(int row, int column) const {
    return cells[row][column] == Cell::SmallDot || cells[row][column] == Cell::LargeDot;
  }
};

// One broken rule. row and column are -1 when the rule concerns no single cell.
struct Problem {
  int stage = 0;
  std::string source;
  int line = 0;
  int row = -1;
  int column = -1;
  std::string rule;
  std::string detail;
};

std::string FormatProblem(const Problem& problem);

// Actor names written into the script file; together they are the
// formats::kScriptNameBytes that every script record holds.
inline const std::array<std::string, kStageActors> kActorNames = {"Mog", "G1", "G2", "G3", "G4"};

}  // namespace stages
