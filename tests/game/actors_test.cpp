// The animation clock and the ghosts' modes, steering and movement.
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

// The gates across the wrap are followed end to end by the simulation runs.
TEST_F(ClockTest, AnimationsCountUnsignedTimeAcrossTheClockWrap) {
  backend().Advance(10);  // the clock has wrapped to 4
  Actor actor;
  actor.SetAnimation(3, 100);
  actor.lastAdvance = now() - 100;  // before the wrap
  // {wait, advanced, frame}: one frame per call, however long the wait.
  const std::int32_t steps[][3] = {{0, false, 0}, {1, true, 1}, {250, true, 2}, {250, true, 0}};
  for (const auto& step : steps) {
    backend().Advance(static_cast<std::uint32_t>(step[0]));
    EXPECT_EQ(actor.AdvanceAnimation(), step[1] != 0);
    EXPECT_EQ(actor.frame, step[2]);
  }
}

// The generator's state before and after a draw that gives the pick the
// number r (1 to 3).
std::pair<std::uint32_t, std::uint32_t> StateDrawing(std::int32_t r) {
  for (std::uint32_t state = 1;; ++state) {
    ghostRandomState = state;
    if (GhostRandom() % 3 + 1 == r) return {state, ghostRandomState};
  }
}

TEST_F(GameTest, GhostsChooseTheirWayByMode) {
  // The open neighbours of cell (5, 5); r: the pick's number, 0 when no draw
  // may be made; dx and dy: the player (Chase) or home (Eyes) from the ghost.
  const struct {
    std::int32_t mode, facing;
    const char* open;
    std::int32_t r, dx, dy, expected;
  } cases[] = {// The r-th open way in code order, else the last open one.
               {Chase, Up, "RD", 1, 0, 0, Right},
               {Chase, Up, "RD", 2, 0, 0, Down},
               {Chase, Up, "RD", 3, 0, 0, Down},
               // Wander and Blue never reverse where there is a choice.
               {Wander, Down, "LRUD", 3, 0, 0, Down},
               {Blue, Left, "LRUD", 2, 0, 0, Up},
               {Wander, Up, "", 2, 0, 0, Up},
               {Wander, Left, "LR", 2, 0, 0, Left},
               {Wander, Left, "R", 1, 0, 0, Right},
               // Chase keeps its way in corridors; the horizontal difference wins.
               {Chase, Up, "UD", 0, 0, 40, Up},
               {Chase, Down, "LRUD", 0, -1, -40, Left},
               {Chase, Down, "RUD", 0, -1, -40, Down},
               {Chase, Left, "LRUD", 0, 0, 30, Down},
               {Chase, Right, "LRUD", 0, 0, 0, Right},
               // Eyes: vertical first on equal distances; the opposite as fallback.
               {Eyes, Left, "LRUD", 0, 26, 26, Down},
               {Eyes, Left, "LRUD", 0, 27, 26, Right},
               {Eyes, Up, "LUD", 0, 26, 0, Left},
               {Eyes, Left, "L", 0, 0, 52, Up},
               {Eyes, Up, "L", 3, 0, 52, Left},
               {Eyes, Left, "LR", 0, 13, 100, Left}};
  const int around[4][2] = {{5, 4}, {5, 6}, {4, 5}, {6, 5}};  // Left, Right, Up, Down
  for (const auto& c : cases) {
    for (int d = Left; d <= Down; ++d) {
      maze.walls[around[d][0]][around[d][1]] = std::string(c.open).find("LRUD"[d]) == std::string::npos;
    }
    player = {.x = 65 + c.dx, .y = 65 + c.dy};
    ghosts[0] = {
        .state = c.mode, .direction = c.facing, .x = 65, .y = 65, .homeX = player.x, .homeY = player.y};
    const auto [start, next] = c.r == 0 ? std::pair{777u, 777u} : StateDrawing(c.r);
    ghostRandomState = start;
    ChooseGhostDirection(ghosts[0]);
    EXPECT_EQ(ghosts[0].direction, c.expected) << c.mode << c.facing << c.open << c.r;
    EXPECT_EQ(ghostRandomState, next) << "one draw per pick, none else";
  }
}

TEST_F(GameTest, GhostModesChangeByDistanceAndTimer) {
  EXPECT_EQ(randomStateAtStart, 1u);
  ghostRandomState = 1;
  for (std::int32_t value : {41, 18467, 6334, 26500}) EXPECT_EQ(GhostRandom(), value);
  const struct {
    std::int32_t mode, elapsed, dx, dy, expected, combo;
  } cases[] = {
      {Wander, 0, 100, 0, Wander, 5},   {Chase, 0, 100, 0, Chase, 5},      {Wander, 0, 99, 14, Chase, 5},
      {Chase, 0, 100, 1, Wander, 5},    {Blue, 10000, 20, 0, Blue, 5},     {Blue, 10001, 20, 0, Chase, 0},
      {Blue, 10001, 200, 0, Wander, 0}, {Eyes, 4001, 200, 0, Wander, 5},   {Eyes, 4000, 200, 0, Eyes, 5},
      {Eyes, 0, 200, 0, Wander, 5},     {Wander, 99999, 200, 0, Wander, 5}};
  for (const auto& c : cases) {
    player = {.x = 100 + c.dx, .y = 100 + c.dy};
    // The last Eyes case stands at home.
    ghosts[0] = {.state = c.mode,
                 .x = 100,
                 .y = 100,
                 .homeX = c.mode == Eyes && c.elapsed == 0 ? 100 : 101,
                 .homeY = 100,
                 .modeDuration = c.mode == Blue ? 10000u : 4000u,
                 .modeStart = now() - static_cast<std::uint32_t>(c.elapsed)};
    comboCount = 5;
    UpdateGhostMode(ghosts[0], now());
    EXPECT_EQ(ghosts[0].state, c.expected) << "mode " << c.mode << " after " << c.elapsed;
    EXPECT_EQ(comboCount, c.combo);
  }
}

TEST_F(GameTest, GhostsMoveOnePixelWrapAndProbeAcrossTheBorder) {
  Actor& ghost = ghosts[0];
  // {x, y, direction, x and y after two moves}: one pixel off the edge, then
  // over to the other side and one pixel on.
  const std::int32_t steps[][5] = {
      {0, 65, Left, 246, 65}, {247, 65, Right, 1, 65}, {65, 0, Up, 65, 220}, {65, 221, Down, 65, 1}};
  for (const auto& s : steps) {
    ghost = {.direction = s[2], .x = s[0], .y = s[1]};
    MoveGhosts();
    MoveGhosts();
    EXPECT_EQ(ghost.x * 1000 + ghost.y, s[3] * 1000 + s[4]);
  }
  // Column 20 of row 5 is column 0 of row 5, never row 6's first cell; row
  // 18 is row 0 of the same column, never row 17. {x, y, direction, a decoy
  // wall, the wall}
  const std::int32_t probes[][7] = {{247, 65, Right, 6, 0, 5, 0}, {91, 221, Down, 17, 7, 0, 7}};
  for (const auto& p : probes) {
    ghost = {.x = p[0], .y = p[1]};
    maze.walls[p[3]][p[4]] = 1;
    EXPECT_TRUE(GhostDirectionOpen(ghost, p[2]));
    maze.walls[p[5]][p[6]] = 1;
    EXPECT_FALSE(GhostDirectionOpen(ghost, p[2]));
  }
}

}  // namespace
