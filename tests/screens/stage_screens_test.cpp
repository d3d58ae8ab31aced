#include <gtest/gtest.h>

#include <string>

#include "app/game_vars.h"
#include "app/globals.h"
#include "game/stage.h"
#include "screen_fixture.h"
#include "screens/screens.h"

namespace screentest {
namespace {

using Op = platform::SoundCall::Op;

class StageScreensTest : public ScreenTest {};

TEST_F(StageScreensTest, StartShowsTheDotsLeftPlaysAfterPresentingAndReplacesTheActors) {
  stageNumber = 2;
  StartStage();
  for (int column = 0; column < 20; ++column) maze.dots[5][column] = 0;
  maze.dots[1][1] = 0;
  player.x = 3;
  ghosts[2].x = 7;
  const int tune = BufferOfSize(kStageStartWaveBytes);
  int playsWhenPresented = -1;
  std::uint32_t presentedAt = 0;
  WatchPresents([&](const Frame&, std::uint32_t now) {
    playsWhenPresented = CountCalls(tune, Op::Play);
    presentedAt = now;
  });

  ShowStageStart();

  EXPECT_EQ(backend().presentCount(), 1u);
  EXPECT_EQ(playsWhenPresented, 0);
  EXPECT_EQ(CountCalls(tune, Op::Play), 1);
  const Frame frame(backend());
  for (int row = 0; row < 18; ++row) {
    for (int column = 0; column < 20; ++column) {
      const std::int32_t wall = maze.walls[row][column];
      const std::int32_t dot = maze.dots[row][column];
      const std::uint16_t expected = wall != 0  ? ColorOf("wall" + std::to_string(wall) + ".bmp")
                                     : dot == 1 ? ColorOf("sDot.bmp")
                                     : dot == 2 ? ColorOf("lDot.bmp")
                                                : kBackground;
      ASSERT_EQ(frame.At(13 * column, 13 * row), expected) << row << "," << column;
    }
  }
  EXPECT_TRUE(frame.HasText(265, 0, "START!!", 0xFF0000));
  EXPECT_EQ(player.x, 13 * 9);
  EXPECT_EQ(player.y, 13 * 13);
  EXPECT_EQ(ghosts[2].x, 13 * 10);
  EXPECT_GE(backend().now() - presentedAt, 5000u);
  EXPECT_LE(backend().now() - presentedAt, 5002u);
  EXPECT_EQ(gameState, Play);
  EXPECT_EQ(fontSet.latinColor, 0xFFFFFFu);
}

TEST_F(StageScreensTest, ClearShowsOnlyTheWallsForTwoSeconds) {
  stageNumber = 3;
  StartStage();
  for (auto& row : maze.dots) {
    for (auto& dot : row) dot = 0;
  }
  SetGameState(StageClear);
  const std::uint32_t start = backend().now();

  ShowStageClear();

  const Frame frame(backend());
  EXPECT_EQ(frame.Count(ColorOf("sDot.bmp")) + frame.Count(ColorOf("lDot.bmp")), 0);
  EXPECT_EQ(frame.At(0, 0), ColorOf("wall1.bmp"));
  EXPECT_EQ(frame.At(13 * 19, 13 * 17), ColorOf("wall4.bmp"));
  EXPECT_TRUE(frame.HasText(265, 0, "CLEAR!!", 0xFF0000));
  EXPECT_GE(backend().now() - start, 2000u);
  EXPECT_LE(backend().now() - start, 2002u);
  EXPECT_EQ(gameState, StageClear);
  EXPECT_EQ(fontSet.latinColor, 0xFFFFFFu);
}

TEST_F(StageScreensTest, GameOverShowsOnlyItsTextThenResetsTheGame) {
  playerPictures[0].Draw(canvas.GetSurface(), 10, 10);  // left over from play
  stageNumber = 7;
  lives = -1;
  score = 5000;
  intermissionCount = 2;
  extraLifeBase = 10000;
  SetGameState(GameOver);
  const std::uint32_t start = backend().now();

  ShowGameOver();

  const Frame frame(backend());
  EXPECT_TRUE(frame.HasText(124, 100, "GAME OVER", 0xFFFFFF));
  EXPECT_EQ(frame.Count(kBackground) + frame.Count(kWhite), 320 * 240);
  EXPECT_GE(backend().now() - start, 5000u);
  EXPECT_EQ(gameState, Title);
  EXPECT_EQ(stageNumber, 1);
  EXPECT_EQ(lives, 2);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(intermissionCount, 0);
  EXPECT_EQ(extraLifeBase, 0);
}

}  // namespace
}  // namespace screentest
