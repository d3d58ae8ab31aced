// The stage files, stage start and restart, and the death sequence.
#include <sys/stat.h>

#include "game/death.h"

#include <filesystem>

#include "game_fixture.h"

namespace {

using gametest::Bytes;
using gametest::GameTest;
using gametest::Stage;

// Stage n: its one dot at row 8, column n; the player starts at (n, 1).
std::vector<Stage> Stages(int count) {
  std::vector<Stage> stages(count);
  for (int n = 1; n <= count; ++n) {
    stages[n - 1].maze.dots[8][n] = 1;
    stages[n - 1].starts = {{{n, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}}};
  }
  return stages;
}

TEST_F(GameTest, StageRecordsAreReadAtTheirOffsetsAndBadFilesReadSafely) {
  gametest::WriteStages(Stages(10));
  const Bytes map = support::ReadBytes("StageData.map");
  ReadStageMap(10);
  ReadStageMap(11);
  ReadStageMap(0);
  ReadStageScript(2);
  EXPECT_EQ(maze.dots[8][10] * 10 + maze.dots[8][9], 10);
  EXPECT_EQ(player.x * 1000 + player.homeY, 26013);
  EXPECT_EQ(ghosts[3].homeX * 1000 + ghosts[3].y, 52065);

  // A 200-byte name is skipped and its entry read on; a start cell beyond
  // the grid is wrapped into it.
  gametest::WriteStages({{.starts = {{{5, 9}, {-1, 18}, {2000000003, 3}}}}});
  Bytes script = support::ReadBytes("StageData.scp");
  script[8] = 200;
  script.insert(script.begin() + 12, 197, 'N');
  support::WriteBytes("StageData.scp", script);
  ReadStageScript(1);
  EXPECT_EQ(player.x * 1000 + player.y, 65117);
  EXPECT_EQ(ghosts[0].x * 1000 + ghosts[0].y, 247000);
  EXPECT_EQ(ghosts[1].x, 39);

  // No file, a negative count or a cut count changes nothing; a short file
  // fills what it holds and leaves the rest.
  Bytes cut = support::ReadBytes("StageData.map");  // one stage without walls
  cut.resize(4 + 4 + 100 * 4 + 2);
  maze = MazeGrid{};
  maze.walls[4][19] = maze.walls[5][0] = 1;
  Bytes negative = map;
  negative[3] = 0x80;
  for (const Bytes& bytes : {Bytes{1, 0}, negative, cut}) {
    std::filesystem::remove("StageData.map");
    ReadStageMap(1);
    support::WriteBytes("StageData.map", bytes);
    ReadStageMap(1);
  }
  // Nor does a FIFO under the name: opening it never waits for a writer.
  std::filesystem::remove("StageData.map");
  ASSERT_EQ(mkfifo("StageData.map", 0600), 0);
  ReadStageMap(1);
  std::filesystem::remove("StageData.map");
  EXPECT_EQ(maze.dots[8][1] * 100 + maze.walls[4][19] * 10 + maze.walls[5][0], 1) << "cells 99 and 100";
  gametest::WriteStages(Stages(1));
  script = support::ReadBytes("StageData.scp");
  script.resize(4 + 4 + 13 + 12 + 6);  // ends inside ghost 1's column
  support::WriteBytes("StageData.scp", script);
  ReadStageScript(1);
  EXPECT_EQ(ghosts[0].x * 1000 + ghosts[1].x, 13039);
}

TEST_F(GameTest, StartAndRestartPlaceEveryoneAndKeepEatenDots) {
  std::vector<Stage> stages = Stages(3);
  for (int i = 0; i < 154; ++i) stages[2].maze.dots[1 + i / 18][1 + i % 18] = i < 4 ? 2 : 1;
  gametest::WriteStages(stages);
  stageNumber = 3;
  player = {.state = Caught, .direction = Up};
  moveStep = 7;
  for (int round = 0; round < 2; ++round) {
    for (Actor& ghost : ghosts) ghost.state = Eyes;
    backend().Advance(50);
    round == 0 ? StartStage() : RestartActors();
    EXPECT_EQ(dotCount, 154);
    EXPECT_EQ(maze.dots[1][1], round == 0 ? 2 : 0) << "eaten dots stay eaten";
    EXPECT_EQ(player.x * 10 + player.direction, 392);
    EXPECT_EQ(player.state * 100 + player.frameCount * 10 + moveStep, Playing * 100 + 31);
    for (const Actor& ghost : ghosts) {
      EXPECT_TRUE(ghost.state == Wander && ghost.direction == Right && ghost.modeStart == now() &&
                  ghost.frameCount == 2 && ghost.framePeriod == 100u);
    }
    EXPECT_EQ(ghosts[1].x, 26);
    maze.dots[1][1] = 0;
    player.x = ghosts[1].x = 100;
  }
}

// The lives and states the death sequence leaves are followed end to end by
// the simulation runs; here, its pictures.
TEST_F(GameTest, DeathShowsEachDyingPictureOnePeriodAndTheLastOnce) {
  OpenDisplay();
  std::vector<std::uint32_t> firstShown(6), timesShown(6);
  backend().SetPresentWatcher([&](const platform::FrameView&, std::uint32_t time) {
    ASSERT_TRUE(player.frame >= 0 && player.frame < 6);
    firstShown[player.frame] = timesShown[player.frame]++ == 0 ? time : firstShown[player.frame];
  });
  lives = 0;
  PlayDeath();
  EXPECT_EQ(timesShown[5], 1u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(firstShown[i + 1] - firstShown[i] >= 281u && firstShown[i + 1] - firstShown[i] <= 285u) << i;
  }
  EXPECT_EQ(lives * 10 + gameState, -10 + GameOver);
}

}  // namespace
