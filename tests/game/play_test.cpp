// The player's turns and moves, dot eating, collisions, scoring and the play
// frame's order.
#include "game/player.h"
#include "game_fixture.h"
#include "platform/backend.h"

#include <algorithm>
#include <vector>

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

class PauseTest : public gametest::GameTest {
 protected:
  PauseTest() : GameTest({.pauseAllowed = [] { return gameState == Play; }}) {}
};

// The main loop's turns, as in the shell, with P pressed at 2 s and again a
// minute later.
TEST_F(PauseTest, AMinutesPauseRunsNoFrameAndResumesWithTheSameBlueTimeLeft) {
  // Every actor walled into a cell of its own: nothing meets, nothing eats.
  for (auto& row : maze.walls) std::fill(std::begin(row), std::end(row), 1);
  Actor* actors[] = {&player, &ghosts[0], &ghosts[1], &ghosts[2], &ghosts[3]};
  for (int i = 0; i < 5; ++i) {
    maze.walls[1][1 + 4 * i] = 0;
    *actors[i] = {.x = 13 * (1 + 4 * i), .y = 13};
  }
  maze.dots[9][9] = 1;
  dotCount = 1;
  OpenDisplay();
  for (Actor& ghost : ghosts) {
    ghost.state = Blue;
    ghost.modeDuration = 10000;
    ghost.modeStart = timeGetTime();
  }
  using Kind = platform::ScriptEvent::Kind;
  backend().AddEvents({{0, Kind::Activate, 0},
                       {2000, Kind::Press, 'P'},
                       {2050, Kind::Release, 'P'},
                       {62000, Kind::Press, 'P'},
                       {62050, Kind::Release, 'P'}});
  const auto blueLeft = [] {
    return static_cast<std::int64_t>(ghosts[0].modeDuration) - (timeGetTime() - ghosts[0].modeStart);
  };
  struct Activation {
    WPARAM active;
    std::uint32_t elapsed;
    std::int64_t blueLeft;
  };
  std::vector<Activation> activations;
  std::vector<std::uint32_t> frames;  // when each frame passed the gate
  for (MSG message; backend().elapsed() < 63000;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_ACTIVATE) {
        activeFlag = static_cast<std::uint32_t>(message.wParam);
        activations.push_back({message.wParam, backend().elapsed(), blueLeft()});
      }
    } else if (activeFlag != 0) {
      const std::uint32_t gate = frameGateLast;
      PlayFrame();
      if (frameGateLast != gate) frames.push_back(backend().elapsed());
    } else {
      WaitMessage();
    }
  }
  ASSERT_EQ(activations.size(), 3u);
  const Activation& paused = activations[1];
  const Activation& resumed = activations[2];
  EXPECT_EQ(paused.active * 10 + resumed.active, WA_INACTIVE * 10 + WA_ACTIVE);
  EXPECT_GE(resumed.elapsed - paused.elapsed, 60000u);
  EXPECT_EQ(resumed.blueLeft, paused.blueLeft);
  EXPECT_NEAR(static_cast<double>(paused.blueLeft), 8000, 20);
  EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                          [&](std::uint32_t t) { return t >= paused.elapsed && t < resumed.elapsed; }),
            0);
  EXPECT_GT(frames.back(), resumed.elapsed + 900) << "play goes on after the pause";
  EXPECT_EQ(ghosts[0].state, Blue);
}

}  // namespace
