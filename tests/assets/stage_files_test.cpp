// The built stage files: their byte layout, the rules every stage keeps, how
// the stages grow harder, and the game's own readers on them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game_vars.h"
#include "app/globals.h"
#include "data_test_support.h"
#include "game/stage.h"
#include "support/headless_env.h"

namespace datatest {
namespace {

constexpr int kRows = 18;
constexpr int kColumns = 20;
constexpr std::size_t kMapRecord = 2884;
constexpr std::size_t kScriptRecord = 65;

struct Start {
  int column = 0;
  int row = 0;
};

struct BuiltStage {
  std::int32_t number = 0;
  std::int32_t walls[kRows][kColumns] = {};
  std::int32_t dots[kRows][kColumns] = {};
  std::array<Start, 5> starts{};  // the player, then ghosts 0 to 3
  std::size_t nameBytes = 0;

  bool Open(int row, int column) const {
    return walls[(row + kRows) % kRows][(column + kColumns) % kColumns] == 0;
  }
  int Ways(int row, int column) const {
    return Open(row - 1, column) + Open(row + 1, column) + Open(row, column - 1) + Open(row, column + 1);
  }
};

std::vector<BuiltStage> ReadBuiltStages() {
  const Bytes map = ReadBytes(DataFile("StageData.map"));
  const Bytes script = ReadBytes(DataFile("StageData.scp"));
  std::vector<BuiltStage> stages;
  if (map.size() < 4 || script.size() < 4) return stages;
  const std::int32_t count = I32(map, 0);
  for (std::int32_t n = 0; n < count && 4 + (n + 1) * kMapRecord <= map.size(); ++n) {
    BuiltStage stage;
    const std::size_t at = 4 + n * kMapRecord;
    stage.number = I32(map, at);
    for (int cell = 0; cell < kRows * kColumns; ++cell) {
      stage.walls[cell / kColumns][cell % kColumns] = I32(map, at + 4 + cell * 4);
      stage.dots[cell / kColumns][cell % kColumns] = I32(map, at + 1444 + cell * 4);
    }
    std::size_t entry = 4 + n * kScriptRecord + 4;
    for (Start& start : stage.starts) {
      const std::size_t length = script.at(entry);
      stage.nameBytes += length;
      EXPECT_EQ(script.at(entry + 1 + length), 0) << "unused byte, stage " << n + 1;
      start.column = I32(script, entry + 2 + length);
      start.row = I32(script, entry + 6 + length);
      entry += 10 + length;
    }
    stages.push_back(stage);
  }
  return stages;
}

TEST(StageFiles, TenRecordsOfTheFixedSizesNumberedInOrder) {
  const Bytes map = ReadBytes(DataFile("StageData.map"));
  const Bytes script = ReadBytes(DataFile("StageData.scp"));
  ASSERT_EQ(map.size(), 4 + 10 * kMapRecord);
  ASSERT_EQ(script.size(), 4 + 10 * kScriptRecord);
  EXPECT_EQ(I32(map, 0), 10);
  EXPECT_EQ(I32(script, 0), 10);
  const std::vector<BuiltStage> stages = ReadBuiltStages();
  ASSERT_EQ(stages.size(), 10u);
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(stages[n].number, n + 1);
    EXPECT_EQ(I32(script, 4 + n * kScriptRecord), n + 1);
    EXPECT_EQ(stages[n].nameBytes, 11u) << "stage " << n + 1;
  }
}

TEST(StageFiles, CellsInRangeAndWallPiecesJoinTheirWallNeighbours) {
  for (const BuiltStage& stage : ReadBuiltStages()) {
    auto wall = [&](int row, int column) {
      return row >= 0 && row < kRows && column >= 0 && column < kColumns && stage.walls[row][column] != 0;
    };
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        const std::int32_t value = stage.walls[row][column];
        const std::int32_t dot = stage.dots[row][column];
        ASSERT_TRUE(value >= 0 && value <= 16 && dot >= 0 && dot <= 2) << "stage " << stage.number;
        if (value == 0) continue;
        EXPECT_EQ(dot, 0) << "dot on a wall, stage " << stage.number;
        const int joins = wall(row - 1, column) * 1 + wall(row, column + 1) * 2 + wall(row + 1, column) * 4 +
                          wall(row, column - 1) * 8;
        EXPECT_EQ(value, 1 + joins) << "stage " << stage.number << " row " << row << " column " << column;
      }
    }
  }
}

// Fewer large dots and fewer turnings with longer runs between them.
TEST(StageFiles, DotCountsAndDifficultyRise) {
  const std::vector<BuiltStage> stages = ReadBuiltStages();
  ASSERT_EQ(stages.size(), 10u);
  std::vector<int> largeDots{4};
  std::vector<int> junctions;
  std::vector<double> runLength;
  for (const BuiltStage& stage : stages) {
    int dots = 0, large = 0, open = 0, turnings = 0;
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        dots += stage.dots[row][column] != 0;
        large += stage.dots[row][column] == 2;
        if (!stage.Open(row, column)) continue;
        ++open;
        turnings += stage.Ways(row, column) >= 3;
      }
    }
    EXPECT_TRUE(dots >= 150 && dots <= 200) << "stage " << stage.number << " has " << dots << " dots";
    EXPECT_TRUE(large >= 1 && large <= largeDots.back()) << "stage " << stage.number << " has " << large;
    largeDots.push_back(large);
    junctions.push_back(turnings);
    runLength.push_back(static_cast<double>(open - turnings) / turnings);
  }
  EXPECT_LT(largeDots[10], largeDots[1]);
  for (int n = 1; n < 10; ++n) {
    EXPECT_LE(junctions[n], junctions[n - 1]) << "stage " << n + 1;
    EXPECT_GE(runLength[n], runLength[n - 1]) << "stage " << n + 1;
  }
  EXPECT_LT(junctions[9] * 3, junctions[0]);
}

// ReadStageMap and ReadStageScript open the files by plain name.
TEST(StageFiles, TheGameReadsEveryStageAsWritten) {
  testsupport::HeadlessEnv env;
  struct InDataFolder {
    std::filesystem::path previous = std::filesystem::current_path();
    InDataFolder() { std::filesystem::current_path(CHOMPO_DATA_DIR); }
    ~InDataFolder() {
      std::filesystem::current_path(previous);
      stageNumber = 1;
    }
  } inDataFolder;
  const std::vector<BuiltStage> stages = ReadBuiltStages();
  for (const BuiltStage& stage : stages) {
    stageNumber = stage.number;
    StartStage();
    EXPECT_EQ(stageNumber, stage.number);
    int dots = 0;
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        ASSERT_EQ(maze.walls[row][column], stage.walls[row][column]) << "stage " << stage.number;
        ASSERT_EQ(maze.dots[row][column], stage.dots[row][column]) << "stage " << stage.number;
        dots += stage.dots[row][column] != 0;
      }
    }
    EXPECT_EQ(dotCount, dots);
    const Actor* actors[5] = {&player, &ghosts[0], &ghosts[1], &ghosts[2], &ghosts[3]};
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(actors[i]->x, 13 * stage.starts[i].column);
      EXPECT_EQ(actors[i]->y, 13 * stage.starts[i].row);
      EXPECT_EQ(actors[i]->homeX, actors[i]->x);
      EXPECT_EQ(actors[i]->homeY, actors[i]->y);
    }
  }
}

}  // namespace
}  // namespace datatest
