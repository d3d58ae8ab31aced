// The stage files, stage start and restart, and the death sequence.
#include "game/death.h"
#include "game_fixture.h"

namespace {

using gametest::Bytes;
using gametest::GameTest;

// Stage n: its one dot at row 8, column n; the player starts at (n, 1).
std::vector<gametest::MazeText> Stages(int count) {
  std::vector<gametest::MazeText> stages(count, gametest::Walled());
  for (int n = 1; n <= count; ++n) {
    stages[n - 1][8][n] = '.';
  }
  return stages;
}

std::vector<gametest::Starts> Starts(int count) {
  std::vector<gametest::Starts> starts;
  for (int n = 1; n <= count; ++n) {
    starts.push_back({{{n, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}}});
  }
  return starts;
}

TEST_F(GameTest, StageRecordsAreReadAtTheirOffsetsAndBadFilesReadSafely) {
  const Bytes map = gametest::MapBytes(Stages(10));
  const Bytes script = gametest::ScriptBytes(Starts(2));
  ASSERT_EQ(map.size() * 1000 + script.size(), (4 + 10 * 2884) * 1000 + 4 + 2 * 65);
  gametest::WriteFile("StageData.map", map);
  gametest::WriteFile("StageData.scp", script);
  ReadStageMap(10);
  ReadStageMap(11);
  ReadStageMap(0);
  ReadStageScript(2);
  EXPECT_EQ(maze.dots[8][10] * 10 + maze.dots[8][9], 10);
  EXPECT_EQ(player.x * 1000 + player.homeY, 26013);
  EXPECT_EQ(ghosts[3].homeX * 1000 + ghosts[3].y, 52065);

  // A 200-byte name is skipped and its entry read on; a start cell beyond
  // the grid is wrapped into it.
  gametest::WriteFile("StageData.scp", gametest::ScriptBytes({{{{5, 9}, {-1, 18}, {2000000003, 3}}}}, 200));
  ReadStageScript(1);
  EXPECT_EQ(player.x * 1000 + player.y, 65117);
  EXPECT_EQ(ghosts[0].x * 1000 + ghosts[0].y, 247000);
  EXPECT_EQ(ghosts[1].x, 39);

  // No file, a negative count or a cut count changes nothing; a short file
  // fills what it holds and leaves the rest.
  gametest::SetMaze(gametest::Walled());
  Bytes negative = map;
  negative[3] = 0x80;
  Bytes cut = gametest::MapBytes({gametest::Walled(false)});
  cut.resize(4 + 4 + 100 * 4 + 2);
  for (const Bytes& bytes : {Bytes{1, 0}, negative, cut}) {
    std::filesystem::remove("StageData.map");
    ReadStageMap(1);
    gametest::WriteFile("StageData.map", bytes);
    ReadStageMap(1);
  }
  EXPECT_EQ(maze.dots[8][1] * 100 + maze.walls[4][19] * 10 + maze.walls[5][0], 1) << "cells 99 and 100";
  Bytes shortScript = gametest::ScriptBytes(Starts(1));
  shortScript.resize(4 + 4 + 13 + 12 + 6);  // ends inside ghost 1's column
  gametest::WriteFile("StageData.scp", shortScript);
  ReadStageScript(1);
  EXPECT_EQ(ghosts[0].x * 1000 + ghosts[1].x, 13039);
}

TEST_F(GameTest, StartAndRestartPlaceEveryoneAndKeepEatenDots) {
  std::vector<gametest::MazeText> stages = Stages(3);
  for (int i = 0; i < 154; ++i) {
    stages[2][1 + i / 18][1 + i % 18] = i < 4 ? 'o' : '.';
  }
  gametest::WriteFile("StageData.map", gametest::MapBytes(stages));
  gametest::WriteFile("StageData.scp", gametest::ScriptBytes(Starts(3)));
  stageNumber = 3;
  player.state = Caught;
  player.direction = Up;
  for (Actor& ghost : ghosts) {
    ghost.state = Eyes;
    ghost.modeDuration = 4000;
  }
  moveStep = 7;
  for (int round = 0; round < 2; ++round) {
    backend().Advance(50);
    round == 0 ? StartStage() : RestartActors();
    EXPECT_EQ(dotCount, 154);
    EXPECT_EQ(maze.dots[1][1], round == 0 ? 2 : 0) << "eaten dots stay eaten";
    EXPECT_EQ(player.x * 10 + player.direction, 392);
    EXPECT_EQ(player.state * 100 + player.frameCount * 10 + moveStep, Playing * 100 + 31);
    for (const Actor& ghost : ghosts) {
      EXPECT_TRUE(ghost.state == Wander && ghost.direction == Right && ghost.modeStart == now() &&
                  ghost.modeDuration == 4000u && ghost.frameCount == 2 && ghost.framePeriod == 100u);
    }
    EXPECT_EQ(ghosts[1].x, 26);
    maze.dots[1][1] = 0;
    player.x = ghosts[1].x = 100;
    ghosts[1].state = Blue;
  }
  // A stage the file lacks leaves the cleared maze: it has no dots.
  stageNumber = 4;
  for (int i = 0; i < 360; ++i) {
    maze.dots[i / 20][i % 20] = 0;
  }
  StartStage();
  EXPECT_EQ(stageNumber * 100 + dotCount, 400);
}

class DeathTest : public GameTest {
 protected:
  DeathTest() {
    OpenDisplay();
    gametest::SetMaze(gametest::Walled());
    maze.dots[5][5] = 2;
    for (int i = 0; i < 7; ++i) {
      Sprite& picture = i < 6 ? dyingPictures[i] : dotPictures[1];
      picture.Create(display.GetDirectDraw(), 13, 13);
      for (int p = 0; p < 169; ++p) {
        picture.PutPixel(p % 13, p / 13, 0x202020u * static_cast<COLORREF>(i + 1));
      }
    }
    const gametest::Starts starts = {{{2, 2}, {15, 15}, {16, 15}, {17, 15}, {18, 15}}};
    gametest::WriteFile("StageData.scp", gametest::ScriptBytes({starts}));
    player.x = player.y = 100;
    player.state = Caught;
  }
};

TEST_F(DeathTest, ShowsEachDyingPictureOnePeriodOverTheBareMazeAndTheLastOnce) {
  struct Shown {
    std::uint32_t time;
    std::int32_t frame;
    std::uint16_t atPlayer, atLargeDot;
  };
  std::vector<Shown> shown;
  backend().SetPresentWatcher([&shown](const platform::FrameView& frame, std::uint32_t time) {
    auto pixel = [&frame](int x, int y) { return frame.pixels[y * (frame.pitchBytes / 2) + x]; };
    shown.push_back({time, player.frame, pixel(106, 106), pixel(71, 71)});
  });
  lives = 0;
  PlayDeath();
  std::uint32_t firstShown[7] = {};
  int timesShown[6] = {};
  for (const Shown& s : shown) {
    ASSERT_TRUE(s.frame >= 0 && s.frame < 6);
    firstShown[s.frame] = timesShown[s.frame]++ == 0 ? s.time : firstShown[s.frame];
    ASSERT_EQ(s.atPlayer, canvas.ColorToPixel(0x202020u * static_cast<COLORREF>(s.frame + 1)));
    ASSERT_EQ(s.atLargeDot, canvas.ColorToPixel(0xE0E0E0)) << "large dots do not blink here";
  }
  EXPECT_EQ(timesShown[5], 1);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(firstShown[i + 1] - firstShown[i] >= 281u && firstShown[i + 1] - firstShown[i] <= 285u) << i;
  }
  EXPECT_EQ(lives * 10 + gameState, -10 + GameOver);
  EXPECT_EQ(player.state * 1000 + player.x, Caught * 1000 + 100) << "nobody is put back";

  lives = 1;
  PlayDeath();
  EXPECT_EQ(lives * 10 + gameState, StageStart);
  EXPECT_EQ(player.state * 1000 + player.x, Playing * 1000 + 26);
  EXPECT_EQ(ghosts[0].x * 10 + ghosts[0].state, 1950 + Wander);
  EXPECT_EQ(maze.dots[5][5], 2);
}

}  // namespace
