// The built stage files: their byte layout, read back through the game's own
// readers, the rules every stage keeps and how the stages grow harder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "data_test_support.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "game/stage.h"
#include "support/headless_env.h"
#include "support/temp_folder.h"

namespace datatest {
namespace {

constexpr std::size_t kMapRecord = 2884;
constexpr std::size_t kScriptRecord = 65;

struct Stage {
  MazeGrid grid{};
  std::pair<int, int> starts[5];  // (row, column) of the player, then ghosts 0 to 3
  bool Open(int row, int column) const {
    return grid.walls[(row + kMazeRows) % kMazeRows][(column + kMazeColumns) % kMazeColumns] == 0;
  }
};

// Every stage as the game reads it; ReadStageMap and ReadStageScript open the files by plain name.
std::vector<Stage> GameReadsStages() {
  support::HeadlessEnv env;
  const support::InFolder data(CHOMPO_DATA_DIR);
  std::vector<Stage> stages;
  for (int number = 1; number <= 10; ++number) {
    stageNumber = number;
    StartStage();
    Stage stage;
    stage.grid = maze;
    int dots = 0;
    for (const auto& row : maze.dots)
      for (std::int32_t dot : row) dots += dot != 0;
    EXPECT_EQ(dotCount, dots) << "stage " << number;
    const Actor* actors[5] = {&player, &ghosts[0], &ghosts[1], &ghosts[2], &ghosts[3]};
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(actors[i]->x % kCellSize + actors[i]->y % kCellSize, 0) << "stage " << number;
      stage.starts[i] = {actors[i]->y / kCellSize, actors[i]->x / kCellSize};
    }
    stages.push_back(stage);
  }
  stageNumber = 1;
  return stages;
}

TEST(StageFiles, TenNumberedRecordsOfTheFixedSizes) {
  const Bytes map = ReadBytes(DataFile("StageData.map"));
  const Bytes script = ReadBytes(DataFile("StageData.scp"));
  ASSERT_EQ(map.size(), 4 + 10 * kMapRecord);
  ASSERT_EQ(script.size(), 4 + 10 * kScriptRecord);
  EXPECT_EQ(I32(map, 0), 10);
  EXPECT_EQ(I32(script, 0), 10);
  for (std::size_t n = 0; n < 10; ++n) {
    EXPECT_EQ(I32(map, 4 + n * kMapRecord), static_cast<std::int32_t>(n + 1));
    EXPECT_EQ(I32(script, 4 + n * kScriptRecord), static_cast<std::int32_t>(n + 1));
    // Five entries: name length, name, an unused zero byte, column and row.
    std::size_t entry = 8 + n * kScriptRecord, names = 0;
    for (int i = 0; i < 5; ++i) {
      const std::size_t length = script.at(entry);
      names += length;
      EXPECT_EQ(script.at(entry + 1 + length), 0) << "stage " << n + 1;
      entry += 10 + length;
    }
    EXPECT_EQ(names, 11u) << "stage " << n + 1;
  }
}

// Ten different mazes; cells in range, wall pieces joining their wall
// neighbours, dots and starts only on floor; fewer large dots and fewer turnings with longer
// runs between them as the stages go on.
TEST(StageFiles, TheGameReadsStagesThatKeepTheRulesAndGrowHarder) {
  const std::vector<Stage> stages = GameReadsStages();
  std::vector<int> largeDots{4}, junctions;
  std::vector<double> runLength;
  for (int n = 0; n < static_cast<int>(stages.size()); ++n) {
    const Stage& stage = stages[n];
    int dots = 0, large = 0, open = 0, turnings = 0;
    for (int row = 0; row < kMazeRows; ++row) {
      for (int column = 0; column < kMazeColumns; ++column) {
        const std::int32_t value = stage.grid.walls[row][column], dot = stage.grid.dots[row][column];
        ASSERT_TRUE(value >= 0 && value <= 16 && dot >= 0 && dot <= 2) << "stage " << n + 1;
        dots += dot != 0;
        large += dot == 2;
        if (value == 0) {
          ++open;
          const int ways = stage.Open(row - 1, column) + stage.Open(row + 1, column) +
                           stage.Open(row, column - 1) + stage.Open(row, column + 1);
          turnings += ways >= 3;
          continue;
        }
        EXPECT_EQ(dot, 0) << "dot on a wall, stage " << n + 1;
        auto wall = [&](int r, int c) {
          return r >= 0 && r < kMazeRows && c >= 0 && c < kMazeColumns && stage.grid.walls[r][c] != 0;
        };
        const int joins = wall(row - 1, column) * 1 + wall(row, column + 1) * 2 + wall(row + 1, column) * 4 +
                          wall(row, column - 1) * 8;
        EXPECT_EQ(value, 1 + joins) << "stage " << n + 1 << " row " << row << " column " << column;
      }
    }
    for (const auto& [row, column] : stage.starts) EXPECT_TRUE(stage.Open(row, column)) << n + 1;
    for (int m = 0; m < n; ++m) {
      EXPECT_NE(std::memcmp(stages[m].grid.walls, stage.grid.walls, sizeof maze.walls), 0) << n + 1;
    }
    EXPECT_TRUE(dots >= 150 && dots <= 200) << "stage " << n + 1 << " has " << dots << " dots";
    EXPECT_TRUE(large >= 1 && large <= largeDots.back()) << "stage " << n + 1 << " has " << large;
    largeDots.push_back(large);
    junctions.push_back(turnings);
    runLength.push_back(static_cast<double>(open - turnings) / turnings);
  }
  ASSERT_EQ(junctions.size(), 10u);
  EXPECT_LT(largeDots[10], largeDots[1]);
  for (int n = 1; n < 10; ++n) {
    EXPECT_LE(junctions[n], junctions[n - 1]) << "stage " << n + 1;
    EXPECT_GE(runLength[n], runLength[n - 1]) << "stage " << n + 1;
  }
  EXPECT_LT(junctions[9] * 3, junctions[0]);
}

}  // namespace
}  // namespace datatest
