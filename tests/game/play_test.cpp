// The player's turns and moves, dot eating, collisions, scoring and the play
// frame's order.
#include "game/player.h"
#include "game_fixture.h"
#include "platform/backend.h"

namespace {

class PlayTest : public gametest::GameTest {
 protected:
  std::int32_t TurnWith(std::initializer_list<int> keys, std::int32_t x, std::int32_t y) {
    for (int key : keys) platform::PostKeyDown(key);
    player = {.direction = Right, .x = x, .y = y};
    ReadPlayerInput();
    for (int key : keys) platform::PostKeyUp(key);
    return player.direction;
  }
  std::int32_t Step(std::int32_t direction, std::int32_t x, std::int32_t y) {
    player = {.direction = direction, .x = x, .y = y};
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

// Small dots and their score are followed end to end by the simulation runs.
TEST_F(PlayTest, ALargeDotScoresFiftyEndsTheComboAndTurnsEveryGhostBlue) {
  maze.dots[6][6] = 2;
  maze.dots[7][7] = 3;
  dotCount = 2;
  comboCount = 2;
  ghosts[0].state = ghosts[1].state = Eyes;
  backend().Advance(1234);
  player.x = player.y = 72;  // centre 78: cell (6, 6)
  EatDots();
  EXPECT_EQ(score * 100 + dotCount * 10 + comboCount, 5010);
  for (const Actor& ghost : ghosts) {
    EXPECT_TRUE(ghost.state == Blue && ghost.modeDuration == 10000u && ghost.modeStart == now());
  }
  player.x = player.y = 91;
  EatDots();
  EXPECT_EQ(dotCount, 1) << "a dot value of 3 is never eaten";
}

TEST_F(PlayTest, CollisionsCatchEatGhostsForTheComboAndGiveExtraLives) {
  player = {.x = 100, .y = 100};
  ghosts[0] = {.state = Chase, .x = 105, .y = 100};
  ghosts[1] = {.state = Wander, .x = 96, .y = 95};
  ghosts[2] = {.state = Eyes, .x = 100, .y = 100};
  ghosts[3] = {.state = Blue, .x = 101, .y = 99};
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
  EXPECT_EQ(score * 10000 + highScore, 3000 * 10001);
  // {score, then lives and the last extra life's score}
  const std::int32_t steps[][3] = {{9990, 2, 0},      {10000, 3, 10000}, {19990, 3, 10000},
                                   {20000, 4, 20000}, {45000, 5, 30000}, {45000, 6, 40000}};
  for (const auto& step : steps) {
    score = step[0];
    ScoreBookkeeping();
    EXPECT_EQ(lives * 100000 + extraLifeBase, step[1] * 100000 + step[2]) << score;
  }
}

}  // namespace
