// The animation clock, the shared gates, and the ghosts' modes, steering and
// movement.
#include "actors/ghost.h"
#include "game_fixture.h"

namespace {

using gametest::GameTest;

// Read before any test draws: the sequence starts from 1 in every run.
const std::uint32_t randomStateAtStart = ghostRandomState;

class ClockTest : public GameTest {
 protected:
  ClockTest() : GameTest({.clockStart = 4294967290u}) {}
};

TEST_F(ClockTest, GatesAndAnimationsCountUnsignedTimeAcrossTheClockWrap) {
  backend().Advance(10);  // the clock has wrapped to 4
  bool (*gates[])() = {FrameGate, PlayerStepGate, GhostStepGate, BlinkGate};
  std::uint32_t* lasts[] = {&frameGateLast, &playerStepGateLast, &ghostStepGateLast, &blinkGateLast};
  const std::uint32_t bounds[] = {16, 5, 10, 500};
  for (int i = 0; i < 4; ++i) {
    *lasts[i] = now() - bounds[i];
    EXPECT_FALSE(gates[i]());
    backend().Advance(1);
    EXPECT_TRUE(gates[i]());
    EXPECT_EQ(*lasts[i], now());
  }

  Actor actor;
  actor.SetAnimation(1, 205);
  actor.lastAdvance = now() - 206;  // before the wrap
  EXPECT_TRUE(actor.AdvanceAnimation());
  EXPECT_EQ(actor.frame, 0);
  actor.lastAdvance = now() - 206;
  actor.framePeriod = 206;
  EXPECT_FALSE(actor.AdvanceAnimation());
  actor.SetAnimation(3, 100);
  const struct {
    std::uint32_t wait;
    bool advanced;
    std::int32_t frame;
  } steps[] = {{100, false, 0}, {1, true, 1}, {250, true, 2}, {250, true, 0}};  // one frame per call
  for (const auto& step : steps) {
    backend().Advance(step.wait);
    EXPECT_EQ(actor.AdvanceAnimation(), step.advanced);
    EXPECT_EQ(actor.frame, step.frame);
  }
}

// A generator state whose next draw gives the pick the number r (1 to 3).
std::uint32_t StateDrawing(std::int32_t r) {
  for (std::uint32_t state = 1;; ++state) {
    ghostRandomState = state;
    if (GhostRandom() % 3 + 1 == r) {
      return state;
    }
  }
}

struct SteerCase {
  std::int32_t mode, direction;
  const char* open;  // the neighbour cells that are open floor
  std::int32_t r;    // the pick's number; 0: no draw may be made
  std::int32_t dx, dy;  // the player (Chase) or home (Eyes) from the ghost
  std::int32_t expected;
};

class GhostSteerTest : public GameTest, public ::testing::WithParamInterface<SteerCase> {};

TEST_P(GhostSteerTest, ChoosesItsWay) {
  const SteerCase& c = GetParam();
  gametest::SetMaze(gametest::Walled());
  const std::string open = c.open;
  maze.walls[5][4] = open.find('L') == std::string::npos;
  maze.walls[5][6] = open.find('R') == std::string::npos;
  maze.walls[4][5] = open.find('U') == std::string::npos;
  maze.walls[6][5] = open.find('D') == std::string::npos;
  Actor& ghost = ghosts[0];
  ghost.x = ghost.y = 65;
  ghost.state = c.mode;
  ghost.direction = c.direction;
  ghost.homeX = player.x = 65 + c.dx;
  ghost.homeY = player.y = 65 + c.dy;
  const std::uint32_t start = c.r == 0 ? 777u : StateDrawing(c.r);
  ghostRandomState = start;
  ChooseGhostDirection(ghost);
  EXPECT_EQ(ghost.direction, c.expected);
  const std::uint32_t after = ghostRandomState;
  ghostRandomState = start;
  EXPECT_EQ(after, c.r == 0 ? start : (GhostRandom(), ghostRandomState)) << "one draw per pick, none else";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, GhostSteerTest,
    ::testing::Values(
        // The r-th open way in code order, else the last open one.
        SteerCase{Chase, Up, "RD", 1, 0, 90, Right}, SteerCase{Chase, Up, "RD", 2, 0, 90, Down},
        SteerCase{Chase, Up, "RD", 3, 0, 90, Down},
        // Wander and Blue never reverse where there is a choice.
        SteerCase{Wander, Up, "LRUD", 1, 90, 90, Left}, SteerCase{Wander, Up, "LRUD", 2, 90, 90, Right},
        SteerCase{Blue, Up, "LRUD", 3, 90, 90, Up}, SteerCase{Wander, Left, "LR", 2, 90, 90, Left},
        SteerCase{Wander, Left, "R", 1, 90, 90, Right}, SteerCase{Wander, Up, "", 2, 90, 90, Up},
        // Chase keeps its way in corridors; the horizontal difference wins.
        SteerCase{Chase, Up, "UD", 0, 0, 40, Up}, SteerCase{Chase, Down, "LRUD", 0, -1, -40, Left},
        SteerCase{Chase, Down, "RUD", 0, -1, -40, Down}, SteerCase{Chase, Right, "LRUD", 0, -1, 0, Left},
        SteerCase{Chase, Left, "LRUD", 0, 0, 30, Down}, SteerCase{Chase, Right, "LRUD", 0, 0, 0, Right},
        // Eyes: vertical first on equal distances; the opposite as fallback.
        SteerCase{Eyes, Left, "LRUD", 0, 26, 26, Down}, SteerCase{Eyes, Left, "LRUD", 0, 27, 26, Right},
        SteerCase{Eyes, Up, "LUD", 0, 26, 0, Left}, SteerCase{Eyes, Left, "L", 0, 0, 52, Up},
        SteerCase{Eyes, Up, "L", 3, 0, 52, Left}, SteerCase{Eyes, Left, "LR", 0, 13, 100, Left}));

TEST_F(GameTest, GhostModesChangeByDistanceAndTimer) {
  EXPECT_EQ(randomStateAtStart, 1u);
  ghostRandomState = 1;
  for (std::int32_t value : {41, 18467, 6334, 26500}) {
    EXPECT_EQ(GhostRandom(), value);
  }
  const struct {
    std::int32_t mode;
    std::uint32_t elapsed;
    std::int32_t dx, dy, expected;
    std::uint8_t combo;
  } cases[] = {{Wander, 0, 100, 0, Wander, 5},    {Chase, 0, 100, 0, Chase, 5},
               {Wander, 0, 99, 14, Chase, 5},     {Chase, 0, 100, 1, Wander, 5},
               {Blue, 10000, 20, 0, Blue, 5},     {Blue, 10001, 20, 0, Chase, 0},
               {Blue, 10001, 200, 0, Wander, 0},  {Eyes, 4001, 200, 0, Wander, 5},
               {Eyes, 4000, 200, 0, Eyes, 5},     {Eyes, 0, 200, 0, Wander, 5},
               {Wander, 99999, 200, 0, Wander, 5}};
  for (const auto& c : cases) {
    Actor& ghost = ghosts[0];
    ghost.x = ghost.y = ghost.homeY = 100;
    ghost.homeX = c.mode == Eyes && c.elapsed == 0 ? 100 : 101;  // the last Eyes case is home
    player.x = 100 + c.dx;
    player.y = 100 + c.dy;
    ghost.state = c.mode;
    ghost.modeDuration = c.mode == Blue ? 10000 : 4000;
    ghost.modeStart = now() - c.elapsed;
    comboCount = 5;
    UpdateGhostMode(ghost, now());
    EXPECT_EQ(ghost.state, c.expected) << "mode " << c.mode << " after " << c.elapsed;
    EXPECT_EQ(comboCount, c.combo);
  }
}

TEST_F(GameTest, GhostsMoveOnePixelWrapAndProbeAcrossTheBorder) {
  gametest::SetMaze(gametest::Walled(false));
  Actor& ghost = ghosts[0];
  const std::int32_t steps[][7] = {{0, 65, Left, -1, 65, 246, 65},
                                   {247, 65, Right, 248, 65, 1, 65},
                                   {65, 0, Up, 65, -1, 65, 220},
                                   {65, 221, Down, 65, 222, 65, 1}};
  for (const auto& s : steps) {
    ghost.x = s[0];
    ghost.y = s[1];
    ghost.direction = s[2];
    MoveGhosts();
    EXPECT_EQ(ghost.x * 1000 + ghost.y, s[3] * 1000 + s[4]);
    MoveGhosts();
    EXPECT_EQ(ghost.x * 1000 + ghost.y, s[5] * 1000 + s[6]);
  }
  // Column 20 of row 5 reads column 0 of row 5, never row 6's first cell;
  // row 18 reads row 0 of the same column.
  maze.walls[6][0] = 1;
  ghost.x = 247;
  ghost.y = 65;
  EXPECT_TRUE(GhostDirectionOpen(ghost, Right));
  maze.walls[5][0] = 1;
  EXPECT_FALSE(GhostDirectionOpen(ghost, Right));
  ghost.x = 91;
  ghost.y = 221;
  EXPECT_TRUE(GhostDirectionOpen(ghost, Down));
  maze.walls[0][7] = 1;
  EXPECT_FALSE(GhostDirectionOpen(ghost, Down));
}

}  // namespace
