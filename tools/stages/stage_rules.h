// The rules every stage must keep so that the game's movement rules work on
// it, and the measures that show how hard a stage is.
#pragma once

#include <vector>

#include "stage.h"

namespace stages {

struct RuleOptions {
  // Purpose-made test stages may hold any number of dots (at least one) and
  // large dots anywhere; the rules that keep play safe still hold.
  bool testStages = false;
};

inline constexpr int kStandardStageCount = 10;
inline constexpr int kMinimumDots = 150;
inline constexpr int kMaximumDots = 200;
inline constexpr int kMaximumLargeDots = 4;
inline constexpr int kMinimumGhostDistancePixels = 100;
inline constexpr int kLargeDotStepsFromPlayer = 6;
inline constexpr int kLargeDotStepsApart = 10;

std::vector<Problem> CheckStage(const Stage& stage, const RuleOptions& options);

// Rules across the set: how many stages, and no stage repeated.
std::vector<Problem> CheckStageSet(const std::vector<Stage>& stages, const RuleOptions& options);

struct StageMeasures {
  int dots = 0;
  int largeDots = 0;
  int openCells = 0;
  int junctions = 0;        // open cells with three or four ways out
  int crossings = 0;        // open cells with four ways out
  int tunnels = 0;          // pairs of border openings
  double meanCorridor = 0;  // cells per corridor between junctions
};

StageMeasures MeasureStage(const Stage& stage);

// Steps from one cell to every other through open cells, tunnels included;
// -1 where a cell cannot be reached.
std::vector<int> StepsFrom(const Stage& stage, CellPosition from);

}  // namespace stages
