// A stage as the tool sees it: a grid of cell kinds plus the five start cells.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace stages {

inline constexpr int kRows = 18;
inline constexpr int kColumns = 20;
inline constexpr int kCellPixels = 13;
inline constexpr int kActors = 5;  // the player, then ghosts 0 to 3

enum class Cell { Wall, Open, SmallDot, LargeDot };

struct CellPosition {
  int row = -1;
  int column = -1;
  bool operator==(const CellPosition&) const = default;
};

struct Stage {
  int number = 0;                     // position in the set, from 1
  std::string source;                 // file name, for messages
  std::array<int, kRows> rowLines{};  // file line of each row, for messages
  Cell cells[kRows][kColumns] = {};
  std::array<CellPosition, kActors> starts{};

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

// Actor names written into the script file; together they are 11 bytes, which
// makes every script record 65 bytes long.
inline const std::array<std::string, kActors> kActorNames = {"Mog", "G1", "G2", "G3", "G4"};

}  // namespace stages
