// The player's turns and moves, dot eating, collisions, scoring and the play
// frame's order.
#include "game/player.h"
#include "game_fixture.h"
#include "platform/backend.h"

namespace {

class PlayTest : public gametest::GameTest {
 protected:
  PlayTest() { gametest::SetMaze(gametest::Walled(false)); }
  std::int32_t TurnWith(std::initializer_list<int> keys, std::int32_t x, std::int32_t y) {
    for (int key : keys) {
      platform::PostKeyDown(key);
    }
    player.x = x;
    player.y = y;
    player.direction = Right;
    ReadPlayerInput();
    for (int key : keys) {
      platform::PostKeyUp(key);
    }
    return player.direction;
  }
  std::int32_t Step(std::int32_t direction, std::int32_t x, std::int32_t y) {
    player.direction = direction;
    player.x = x;
    player.y = y;
    MovePlayer();
    return player.x * 1000 + player.y;
  }
};

TEST_F(PlayTest, TurnsNeedTheWholeWidthOpenAndTheLastTestWins) {
  maze.walls[3][1] = 1;
  EXPECT_EQ(Step(Left, 26, 39), 26039) << "blocked";
  EXPECT_EQ(TurnWith({VK_UP}, 26, 39), Up);
  EXPECT_TRUE(lastFrameKeys.read && lastFrameKeys.up && !lastFrameKeys.left);
  maze.walls[2][3] = 1;
  EXPECT_EQ(TurnWith({VK_UP}, 32, 39), Right) << "half a cell on, one probe meets a wall";
  EXPECT_EQ(TurnWith({VK_LEFT, VK_UP}, 65, 65), Up);
  EXPECT_EQ(TurnWith({VK_LEFT, VK_UP, VK_DOWN}, 65, 65), Down);
  maze.walls[6][5] = 1;
  EXPECT_EQ(TurnWith({VK_UP, VK_DOWN}, 65, 65), Up);
  EXPECT_EQ(TurnWith({}, 65, 65), Right) << "a released key is forgotten";
  maze.walls[5][2] = 1;  // the Right test at x = 12 reaches it, the move does not
  EXPECT_EQ(TurnWith({VK_LEFT, VK_RIGHT}, 12, 65), Left);
  EXPECT_EQ(Step(Right, 12, 65), 13065);
  TurnWith({VK_ESCAPE}, 65, 65);
  EXPECT_EQ(gameState, Title);
}

TEST_F(PlayTest, MovesWrapAtTheEdgesAndProbesReadTheOppositeEdge) {
  EXPECT_EQ(Step(Left, 0, 65), 246065);
  EXPECT_EQ(Step(Right, 247, 65), 1065);
  EXPECT_EQ(Step(Up, 65, 0), 65220);
  EXPECT_EQ(Step(Down, 65, 221), 65001);
  maze.walls[5][1] = 1;
  EXPECT_EQ(Step(Right, 247, 65), 65);
  EXPECT_EQ(Step(Up, 0, 65), 247064) << "moving vertically it changes edge at every step";
  // Column 20 of row 3 is column 0 of row 3, not the first cell of row 4.
  maze.walls[4][0] = 1;
  EXPECT_EQ(TurnWith({VK_LEFT, VK_RIGHT}, 247, 39), Right);
  maze.walls[3][0] = 1;
  EXPECT_EQ(TurnWith({VK_LEFT, VK_RIGHT}, 247, 39), Left);
  EXPECT_EQ(TurnWith({VK_DOWN}, 65, 221), Down);
  maze.walls[0][5] = 1;
  EXPECT_EQ(TurnWith({VK_DOWN}, 65, 221), Right);
}

TEST_F(PlayTest, DotsScoreAndALargeOneTurnsEveryGhostBlue) {
  maze.dots[5][5] = 1;
  maze.dots[6][6] = 2;
  maze.dots[7][7] = 3;
  dotCount = 3;
  comboCount = 2;
  ghosts[0].state = ghosts[1].state = Eyes;
  player.x = player.y = 71;  // centre 77: cell (5, 5)
  EatDots();
  EatDots();
  EXPECT_EQ(score * 10 + dotCount, 102);
  backend().Advance(1234);
  player.x = player.y = 72;
  EatDots();
  EXPECT_EQ(score * 10 + dotCount, 601);
  EXPECT_EQ(comboCount, 0);
  for (const Actor& ghost : ghosts) {
    EXPECT_TRUE(ghost.state == Blue && ghost.modeDuration == 10000u && ghost.modeStart == now());
  }
  player.x = player.y = 91;
  EatDots();
  EXPECT_EQ(dotCount, 1) << "a dot value of 3 is never eaten";
}

TEST_F(PlayTest, CollisionsCatchEatGhostsForTheComboAndGiveExtraLives) {
  player.x = player.y = 100;
  const std::int32_t placed[][3] = {{105, 100, Chase}, {96, 95, Wander}, {100, 100, Eyes}, {101, 99, Blue}};
  for (int i = 0; i < 4; ++i) {
    ghosts[i].x = placed[i][0];
    ghosts[i].y = placed[i][1];
    ghosts[i].state = placed[i][2];
  }
  const std::uint32_t before = now();
  CheckCollisions();
  EXPECT_EQ(player.state, 0) << "boxes overlap only when both distances are below 5";
  EXPECT_EQ(ghosts[3].state * 100000 + ghosts[3].modeDuration, Eyes * 100000 + 4000);
  EXPECT_EQ(ghosts[3].modeStart, before + 300) << "eating halts the game for 300 ms";
  for (const std::int32_t eaten : {400, 900, 1600}) {
    const std::int32_t previous = score;
    ghosts[3].state = Blue;
    CheckCollisions();
    EXPECT_EQ(score - previous, eaten);
  }
  EXPECT_EQ(comboCount, 4);
  comboCount = 255;
  ghosts[3].state = Blue;
  ghosts[0].x = 104;
  ghosts[0].y = 96;
  CheckCollisions();
  EXPECT_EQ(player.state * 10 + ghosts[3].state, Caught * 10 + Blue) << "the first ghost to act ends it";
  EXPECT_EQ(player.frameCount * 1000 + static_cast<std::int32_t>(player.framePeriod), 6300);
  ghosts[0].state = Eyes;
  CheckCollisions();
  EXPECT_EQ(comboCount, 0) << "an 8-bit count";
  EXPECT_EQ(score, 3000);
  EXPECT_EQ(highScore, 3000);

  const std::int32_t steps[][3] = {{9990, 2, 0},      {10000, 3, 10000}, {19990, 3, 10000},
                                   {20000, 4, 20000}, {45000, 5, 30000}, {45000, 6, 40000}};
  for (const auto& step : steps) {
    score = step[0];
    ScoreBookkeeping();
    EXPECT_EQ(lives * 100000 + extraLifeBase, step[1] * 100000 + step[2]) << score;
  }
}

TEST_F(PlayTest, AFrameRunsAfterSixteenMillisecondsMovesThenEatsAndEndsTheStage) {
  OpenDisplay();
  gametest::SetMaze(gametest::Walled());
  std::vector<std::pair<std::uint32_t, FrameKeys>> seen;
  static auto* frames = &seen;
  playFrameWatcher = [](std::uint32_t gate, const FrameKeys& keys) { frames->emplace_back(gate, keys); };
  maze.walls[3][3] = 1;
  maze.dots[2][3] = 1;
  dotCount = 1;
  stageNumber = 3;
  player.x = 32;  // centre in column 2; one pixel on, in column 3
  player.y = 26;
  player.direction = Right;
  for (Actor& ghost : ghosts) {
    ghost.x = ghost.y = 150;
    ghost.state = Wander;
  }
  platform::PostKeyDown(VK_DOWN);
  backend().Advance(16);
  const std::uint32_t gate = now();
  frameGateLast = gate - 17;
  PlayFrame();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, gate);
  EXPECT_TRUE(seen[0].second.read && seen[0].second.down);
  EXPECT_EQ(player.x * 10 + player.direction, 331) << "the down test met the wall";
  EXPECT_EQ(gameState, StageClear);
  EXPECT_EQ(stageNumber, 4);
  EXPECT_EQ(backend().presentCount(), 0u) << "the last dot's frame draws nothing";
  maze.dots[9][9] = 1;
  dotCount = 1;
  backend().Advance(16);
  PlayFrame();
  EXPECT_EQ(seen.size(), 1u);
  backend().Advance(1);
  PlayFrame();
  EXPECT_EQ(backend().presentCount(), 1u);
  ghosts[0].x = player.x + 2;
  ghosts[0].y = player.y;
  lives = 0;
  backend().Advance(17);
  PlayFrame();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(gameState, GameOver);
  EXPECT_FALSE(seen[2].second.read) << "the catch ended the frame before input";
  EXPECT_GT(now() - seen[2].first, 1400u) << "reported after the death sequence";
}

}  // namespace
