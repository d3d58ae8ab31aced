#include "stage_rules.h"

#include <cstring>
#include <deque>
#include <string>

namespace stages {
namespace {

struct Offset {
  int row;
  int column;
};
constexpr Offset kWays[4] = {{-1, 0}, {0, 1}, {1, 0}, {0, -1}};

int Wrap(int value, int size) { return (value % size + size) % size; }

// Actors leave the field on one side and come back on the other, so the cell
// past a border opening is the opening on the opposite border.
CellPosition Neighbour(CellPosition cell, const Offset& way) {
  return CellPosition{Wrap(cell.row + way.row, kMazeRows), Wrap(cell.column + way.column, kMazeColumns)};
}

bool OnBorder(int row, int column) {
  return row == 0 || row == kMazeRows - 1 || column == 0 || column == kMazeColumns - 1;
}

int OpenNeighbours(const Stage& stage, CellPosition cell) {
  int count = 0;
  for (const Offset& way : kWays) {
    const CellPosition next = Neighbour(cell, way);
    if (stage.IsOpen(next.row, next.column)) ++count;
  }
  return count;
}

int Index(CellPosition cell) { return cell.row * kMazeColumns + cell.column; }

class Reporter {
 public:
  Reporter(const Stage& stage, std::vector<Problem>& problems) : stage_(stage), problems_(problems) {}

  void At(int row, int column, const std::string& rule, const std::string& detail) {
    const int line = row >= 0 ? stage_.rowLines[row] : 0;
    problems_.push_back(Problem{stage_.number, stage_.source, line, row, column, rule, detail});
  }
  void Whole(const std::string& rule, const std::string& detail) { At(-1, -1, rule, detail); }

 private:
  const Stage& stage_;
  std::vector<Problem>& problems_;
};

void CheckBorder(const Stage& stage, Reporter& report) {
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) {
      if (!OnBorder(row, column) || !stage.IsOpen(row, column)) continue;
      const bool leftOrRight = column == 0 || column == kMazeColumns - 1;
      const bool topOrBottom = row == 0 || row == kMazeRows - 1;
      if (leftOrRight && topOrBottom) {
        report.At(row, column, "border", "a corner must be wall");
        continue;
      }
      // Walls on both sides along the border keep anyone from standing in
      // the opening except while passing through it.
      const CellPosition sideA = leftOrRight ? CellPosition{row - 1, column} : CellPosition{row, column - 1};
      const CellPosition sideB = leftOrRight ? CellPosition{row + 1, column} : CellPosition{row, column + 1};
      if (stage.IsOpen(sideA.row, sideA.column) || stage.IsOpen(sideB.row, sideB.column)) {
        report.At(row, column, "border", "a tunnel opening needs walls on both sides along the border");
      }
      const CellPosition opposite = leftOrRight ? CellPosition{row, kMazeColumns - 1 - column}
                                                : CellPosition{kMazeRows - 1 - row, column};
      if (!stage.IsOpen(opposite.row, opposite.column)) {
        report.At(row, column, "border",
                  "a tunnel opening needs the opposite border cell (row " + std::to_string(opposite.row) +
                      ", column " + std::to_string(opposite.column) + ") open too");
      }
    }
  }
}

// A 2 by 2 open block lets an actor turn before it is aligned with the grid
// and then stick at the next wall; corridors stay one cell wide.
void CheckOpenBlocks(const Stage& stage, Reporter& report) {
  for (int row = 0; row + 1 < kMazeRows; ++row) {
    for (int column = 0; column + 1 < kMazeColumns; ++column) {
      if (stage.IsOpen(row, column) && stage.IsOpen(row, column + 1) && stage.IsOpen(row + 1, column) &&
          stage.IsOpen(row + 1, column + 1)) {
        report.At(row, column, "open block", "2 by 2 open cells from here; corridors must be one cell wide");
      }
    }
  }
}

void CheckDeadEnds(const Stage& stage, Reporter& report) {
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) {
      if (!stage.IsOpen(row, column)) continue;
      const int ways = OpenNeighbours(stage, CellPosition{row, column});
      if (ways < 2) {
        report.At(row, column, "dead end",
                  "open cell with " + std::to_string(ways) + " open neighbour" + (ways == 1 ? "" : "s") +
                      ", needs at least 2");
      }
    }
  }
}

bool StartsKnown(const Stage& stage) {
  for (const CellPosition& start : stage.starts) {
    if (start.row < 0 || start.row >= kMazeRows || start.column < 0 || start.column >= kMazeColumns)
      return false;
  }
  return true;
}

const char* ActorName(int actor) {
  static const char* const names[kStageActors] = {"the player", "ghost 0", "ghost 1", "ghost 2", "ghost 3"};
  return names[actor];
}

void CheckStarts(const Stage& stage, Reporter& report) {
  for (int actor = 0; actor < kStageActors; ++actor) {
    const CellPosition start = stage.starts[actor];
    if (!stage.IsOpen(start.row, start.column)) {
      report.At(start.row, start.column, "start cells",
                std::string("start of ") + ActorName(actor) + " is a wall");
    } else if (OnBorder(start.row, start.column)) {
      report.At(start.row, start.column, "start cells",
                std::string("start of ") + ActorName(actor) + " lies in a border opening");
    }
    for (int other = 0; other < actor; ++other) {
      if (stage.starts[other] == start) {
        report.At(start.row, start.column, "start cells",
                  std::string(ActorName(actor)) + " starts on the cell of " + ActorName(other));
      }
    }
  }
  const CellPosition player = stage.starts[0];
  const int limit = kMinimumGhostDistancePixels * kMinimumGhostDistancePixels;
  for (int ghost = 1; ghost < kStageActors; ++ghost) {
    const CellPosition start = stage.starts[ghost];
    const int dx = (start.column - player.column) * kCellSize;
    const int dy = (start.row - player.row) * kCellSize;
    if (dx * dx + dy * dy < limit) {
      report.At(start.row, start.column, "ghost distance",
                std::string(ActorName(ghost)) + " starts less than 100 pixels from the player's start");
    }
  }
}

void CheckReach(const Stage& stage, Reporter& report) {
  const std::vector<int> steps = StepsFrom(stage, stage.starts[0]);
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) {
      if (stage.IsOpen(row, column) && steps[Index(CellPosition{row, column})] < 0) {
        report.At(row, column, "reach",
                  stage.HasDot(row, column) ? "dot cannot be reached from the player's start"
                                            : "open cell cannot be reached from the player's start");
      }
    }
  }
}

void CheckDots(const Stage& stage, const RuleOptions& options, Reporter& report) {
  const StageMeasures measures = MeasureStage(stage);
  if (options.testStages) {
    if (measures.dots < 1) report.Whole("dot count", "no dot at all; a stage needs at least one");
    return;
  }
  if (measures.dots < kMinimumDots || measures.dots > kMaximumDots) {
    report.Whole("dot count", std::to_string(measures.dots) + " dots, needs " + std::to_string(kMinimumDots) +
                                  " to " + std::to_string(kMaximumDots));
  }
  if (measures.largeDots < 1 || measures.largeDots > kMaximumLargeDots) {
    report.Whole("large dots", std::to_string(measures.largeDots) + " large dots, needs 1 to " +
                                   std::to_string(kMaximumLargeDots));
  }
  // A large dot next to the start would be eaten before any ghost is near,
  // and two close together waste the second one's blue time.
  const std::vector<int> fromPlayer = StepsFrom(stage, stage.starts[0]);
  std::vector<CellPosition> large;
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) {
      if (stage.cells[row][column] != Cell::LargeDot) continue;
      const CellPosition here{row, column};
      if (OnBorder(row, column)) report.At(row, column, "large dots", "a large dot in a border opening");
      const int steps = fromPlayer[Index(here)];
      if (steps >= 0 && steps < kLargeDotStepsFromPlayer) {
        report.At(row, column, "large dots",
                  "only " + std::to_string(steps) + " steps from the player's start, needs " +
                      std::to_string(kLargeDotStepsFromPlayer));
      }
      for (const CellPosition& earlier : large) {
        const int apart = StepsFrom(stage, earlier)[Index(here)];
        if (apart >= 0 && apart < kLargeDotStepsApart) {
          report.At(row, column, "large dots",
                    "only " + std::to_string(apart) + " steps from the large dot at row " +
                        std::to_string(earlier.row) + ", column " + std::to_string(earlier.column) +
                        ", needs " + std::to_string(kLargeDotStepsApart));
        }
      }
      large.push_back(here);
    }
  }
}

}  // namespace

std::vector<int> StepsFrom(const Stage& stage, CellPosition from) {
  std::vector<int> steps(kMazeRows * kMazeColumns, -1);
  if (from.row < 0 || from.row >= kMazeRows || from.column < 0 || from.column >= kMazeColumns) return steps;
  if (!stage.IsOpen(from.row, from.column)) return steps;
  std::deque<CellPosition> queue{from};
  steps[Index(from)] = 0;
  while (!queue.empty()) {
    const CellPosition cell = queue.front();
    queue.pop_front();
    for (const Offset& way : kWays) {
      const CellPosition next = Neighbour(cell, way);
      if (!stage.IsOpen(next.row, next.column) || steps[Index(next)] >= 0) continue;
      steps[Index(next)] = steps[Index(cell)] + 1;
      queue.push_back(next);
    }
  }
  return steps;
}

std::vector<Problem> CheckStage(const Stage& stage, const RuleOptions& options) {
  std::vector<Problem> problems;
  Reporter report(stage, problems);
  CheckBorder(stage, report);
  CheckOpenBlocks(stage, report);
  CheckDeadEnds(stage, report);
  if (!StartsKnown(stage)) {
    report.Whole("start cells", "the five start cells are not all known");
    return problems;
  }
  CheckStarts(stage, report);
  CheckReach(stage, report);
  CheckDots(stage, options, report);
  return problems;
}

std::vector<Problem> CheckStageSet(const std::vector<Stage>& stages, const RuleOptions& options) {
  std::vector<Problem> problems;
  if (!options.testStages && stages.size() != kStandardStageCount) {
    problems.push_back(Problem{0, "the stage set", 0, -1, -1, "stage count",
                               std::to_string(stages.size()) + (stages.size() == 1 ? " stage" : " stages") +
                                   " given, the game has " + std::to_string(kStandardStageCount)});
  }
  if (stages.empty()) {
    problems.push_back(Problem{0, "the stage set", 0, -1, -1, "stage count", "no stage given"});
  }
  if (options.testStages) return problems;
  for (std::size_t later = 0; later < stages.size(); ++later) {
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      if (std::memcmp(stages[later].cells, stages[earlier].cells, sizeof stages[later].cells) == 0) {
        problems.push_back(Problem{stages[later].number, stages[later].source, 0, -1, -1, "repeated stage",
                                   "same maze as stage " + std::to_string(stages[earlier].number)});
      }
    }
  }
  return problems;
}

StageMeasures MeasureStage(const Stage& stage) {
  StageMeasures measures;
  std::vector<bool> corridor(kMazeRows * kMazeColumns, false);
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) {
      if (!stage.IsOpen(row, column)) continue;
      const CellPosition here{row, column};
      ++measures.openCells;
      if (stage.HasDot(row, column)) ++measures.dots;
      if (stage.cells[row][column] == Cell::LargeDot) ++measures.largeDots;
      const int ways = OpenNeighbours(stage, here);
      if (ways >= 3) ++measures.junctions;
      if (ways == 4) ++measures.crossings;
      if (ways == 2) corridor[Index(here)] = true;
      if ((column == 0 || row == 0) && OnBorder(row, column)) ++measures.tunnels;
    }
  }
  // Corridors are the runs of two-way cells between junctions.
  int runs = 0;
  int cells = 0;
  std::vector<bool> seen(kMazeRows * kMazeColumns, false);
  for (int start = 0; start < kMazeRows * kMazeColumns; ++start) {
    if (!corridor[start] || seen[start]) continue;
    ++runs;
    std::deque<CellPosition> queue{CellPosition{start / kMazeColumns, start % kMazeColumns}};
    seen[start] = true;
    while (!queue.empty()) {
      const CellPosition cell = queue.front();
      queue.pop_front();
      ++cells;
      for (const Offset& way : kWays) {
        const CellPosition next = Neighbour(cell, way);
        if (corridor[Index(next)] && !seen[Index(next)]) {
          seen[Index(next)] = true;
          queue.push_back(next);
        }
      }
    }
  }
  measures.meanCorridor = runs > 0 ? static_cast<double>(cells) / runs : 0.0;
  return measures;
}

}  // namespace stages
