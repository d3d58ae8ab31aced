// The blocking screens, run on the headless back end with scripted keys and
// the virtual clock: what they present and the state they leave.
#include <gtest/gtest.h>

#include <tuple>

#include "screen_fixture.h"

namespace screentest {
namespace {

using StageScreensTest = ScreenTest;
using TitleCreditsTest = ScreenTest;
using AttractTest = ScreenTest;

TEST_F(StageScreensTest, StartAndClearShowTheMazeLeftUnderTheirBannerAndOnlyStartPlaysAfterPresenting) {
  struct Case {
    void (*show)();
    const char* banner;
    std::uint32_t pauseMs;
    std::int32_t stateAfter, tunePlays, playerX;
  };
  for (const Case& c : {Case{ShowStageStart, "START!!", 5000, Play, 1, 13 * 9},
                        Case{ShowStageClear, "CLEAR!!", 2000, StageClear, 0, 3}}) {
    SCOPED_TRACE(c.banner);
    stageNumber = 2;
    StartStage();
    for (int column = 0; column < 20; ++column) maze.dots[5][column] = 0;
    maze.dots[1][1] = 0;
    player.x = 3;
    SetGameState(StageClear);
    const int tune = BufferOfSize(kStageStartWaveBytes), playsBefore = CountCalls(tune, Op::Play);
    const std::uint32_t presentsBefore = backend().presentCount();
    int playsWhenPresented = -1;
    std::uint32_t presentedAt = 0;
    WatchPresents([&](const Frame&, std::uint32_t now) {
      std::tie(playsWhenPresented, presentedAt) = std::pair(CountCalls(tune, Op::Play), now);
    });

    c.show();

    EXPECT_EQ(backend().presentCount(), presentsBefore + 1);
    EXPECT_EQ(playsWhenPresented, playsBefore);
    EXPECT_EQ(CountCalls(tune, Op::Play), playsBefore + c.tunePlays);
    for (int cell = 0; cell < 18 * 20; ++cell) {
      const int row = cell / 20, column = cell % 20, wall = maze.walls[row][column],
                dot = maze.dots[row][column];
      const std::string picture = wall != 0  ? "wall" + std::to_string(wall) + ".bmp"
                                  : dot == 1 ? "sDot.bmp"
                                  : dot == 2 ? "lDot.bmp"
                                             : "";
      ASSERT_EQ(LastFrame().At(13 * column, 13 * row), picture.empty() ? kBackground : ColorOf(picture))
          << cell;
    }
    EXPECT_TRUE(LastFrame().HasText(265, 0, c.banner, 0xFF0000));
    EXPECT_GE(Elapsed() - presentedAt, c.pauseMs);
    EXPECT_LE(Elapsed() - presentedAt, c.pauseMs + 2);
    EXPECT_EQ(gameState, c.stateAfter);
    EXPECT_EQ(player.x, c.playerX);  // the start screen puts the actors back on their cells
  }
}

TEST_F(StageScreensTest, GameOverShowsOnlyItsTextThenResetsTheGame) {
  playerPictures[0].Draw(canvas.GetSurface(), 10, 10);  // left over from play
  std::tie(stageNumber, lives, score, intermissionCount, extraLifeBase) = std::tuple(7, -1, 5000, 2, 10000);
  SetGameState(GameOver);

  ShowGameOver();

  EXPECT_TRUE(LastFrame().HasText(124, 100, "GAME OVER", 0xFFFFFF));
  EXPECT_EQ(LastFrame().Count(kBackground) + LastFrame().Count(kWhite), 320 * 240);
  EXPECT_GE(Elapsed(), 5000u);
  EXPECT_EQ(std::tuple(gameState, stageNumber, lives, score, intermissionCount, extraLifeBase),
            std::tuple(Title, 1, 2, 0, 0, 0));
}

TEST_F(TitleCreditsTest, EscHeldWithSpaceQuitsBeforeAnythingIsDrawn) {
  for (const auto& [show, state] : {std::pair{&ShowTitle, Title}, std::pair{&ShowCredits, Credits}}) {
    SCOPED_TRACE(state);
    activeFlag = 1;
    SetGameState(state);
    HoldNow(VK_SPACE);
    HoldNow(VK_ESCAPE);
    show();
    EXPECT_EQ(backend().presentCount(), 0u);
    EXPECT_EQ(std::tuple(activeFlag, gameState), std::tuple(0u, state));
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) continue;
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  }
}

TEST_F(TitleCreditsTest, TitleBlinksItsPromptTimesOutAfterThirtySecondsAndTakesSpaceBeforeDrawing) {
  blinkOn = 1;
  blinkGateLast = backend().now();  // shut on the first pass: the flag the last screen left decides
  std::vector<std::uint32_t> flips;
  bool shown = false, pictureInPlace = true;
  WatchPresents([&](const Frame& frame, std::uint32_t now) {
    // 101 x 40 pixels: x = (320 - 101) / 2 = 109.
    pictureInPlace &=
        frame.At(109, 50) == ColorOf("Title5.bmp") && frame.At(209, 89) == ColorOf("Title5.bmp");
    if (frame.HasText(100, 200, "Press Space Key", 0xFFFFFF) != shown) flips.push_back(now), shown = !shown;
  });

  ShowTitle();

  EXPECT_TRUE(pictureInPlace);
  EXPECT_EQ(gameState, Attract);
  EXPECT_GT(Elapsed(), 30000u);
  EXPECT_LE(Elapsed(), 30002u);
  ASSERT_GE(flips.size(), 59u);
  EXPECT_LT(flips[0], 10u);
  for (std::size_t i = 2; i < flips.size(); ++i) EXPECT_EQ(flips[i] - flips[i - 1], 501u) << i;

  // The next visit counts its own 30 seconds, and a held Space starts the
  // stage left by Esc during play afresh before anything is drawn.
  std::tie(stageNumber, maze.dots[1][2]) = std::pair(3, 0);
  const std::uint32_t presents = backend().presentCount();
  HoldNow(VK_SPACE);
  ShowTitle();
  EXPECT_EQ(backend().presentCount(), presents);
  EXPECT_EQ(std::tuple(gameState, stageNumber, dotCount), std::tuple(StageStart, 3, 16 * 20));
}

TEST_F(TitleCreditsTest, SpaceAfterTheLastSceneStartsAFreshGameWithTheHighScoreWrittenAndReadBack) {
  stageNumber = 11;
  StartStage();
  std::tie(score, highScore, lives, intermissionCount) = std::tuple(6500, 7000, 0, 3);
  PlayIntermission(3);
  const int tune = BufferOfSize(kIntermissionWaveBytes), oldStartTune = BufferOfSize(kStageStartWaveBytes);
  At(Elapsed() + 200, Kind::Press, VK_SPACE);

  ShowCredits();

  const Frame frame = LastFrame();
  EXPECT_TRUE(frame.HasText(140, 20, "CREDIT", 0xFFFFFF) &&
              frame.HasText(50, 80, "Programing : Quillon", 0xFFFFFF));
  EXPECT_TRUE(frame.HasText(50, 120, "Graphic : Varrow", 0xDEB8FF));
  // Nothing but the texts, on the canvas the scene left empty.
  EXPECT_EQ(frame.Count(kBackground) + frame.Count(kWhite) + frame.Count(To565(0xDEB8FF)), 320 * 240);
  EXPECT_EQ(std::tuple(gameState, stageNumber, lives, score, intermissionCount, highScore),
            std::tuple(Attract, 1, 2, 0, 0, 7000));
  EXPECT_EQ(support::ReadText("HighScore.sco"), std::string("\x58\x1B\0\0", 4));
  // The scene's tune is given back once; the catalogue's effects are new.
  EXPECT_EQ(CountCalls(tune, Op::Release), 1);
  EXPECT_EQ(CountCalls(oldStartTune, Op::Release), 1);
  EXPECT_NE(BufferOfSize(kStageStartWaveBytes), oldStartTune);
}

TEST_F(AttractTest, RevealsTheTableThenRunsTheChaseToTheRightEdge) {
  std::uint32_t firstGhost = 0, firstChase = 0;
  bool tableChecked = false, turned = false;
  WatchPresents([&](const Frame& frame, std::uint32_t t) {
    if (firstGhost == 0 && frame.At(77, 40) == ColorOf("ghost1_1.bmp")) firstGhost = t;
    if (!tableChecked && t > 14000 && frame.HasText(107, 200, "Press SpaceKey", 0xFFFFFF)) {
      tableChecked = true;
      EXPECT_TRUE(frame.HasText(100, 15, "CHARACTER / NICKNAME", 0xFFFFFF));
      EXPECT_TRUE(frame.HasText(103, 40, "- HUNTER", 0x0000FF) &&
                  frame.HasText(195, 60, "\"MIMSY\"", 0xDEB8FF));
      EXPECT_TRUE(frame.HasText(103, 80, "- DODGER", 0xDEFF00) &&
                  frame.HasText(195, 100, "\"GRUFF\"", 0x47B8FF));
      EXPECT_EQ(frame.At(77, 100), ColorOf("ghost4_1.bmp"));
      EXPECT_TRUE(frame.HasText(145, 158, "10 PTS", 0xFFFFFF) && frame.HasText(145, 174, "50 PTS", 0xFFFFFF));
    }
    if (firstChase == 0 && frame.Shows(132, {"Mog1.bmp", "Mog2.bmp", "Mog3.bmp"})) firstChase = t;
    turned = turned || frame.Shows(132, {"BlueGhost1.bmp", "BlueGhost2.bmp"});
  });

  EXPECT_EQ(RunAttract(), 2);

  // A pass takes 2 ms here: an empty queue, then a present.
  EXPECT_GT(firstGhost, 1500u);
  EXPECT_LE(firstGhost, 1505u);
  EXPECT_GT(firstChase, 15300u);  // step 13 lasts 800 ms like step 14
  EXPECT_LE(firstChase, 15340u);
  EXPECT_TRUE(tableChecked && turned);
  EXPECT_EQ(player.x, 320);
}

TEST_F(AttractTest, TakingTheQuitMessageReturnsMinusOne) {
  At(3000, Kind::Close);  // the close button: WM_CLOSE, WM_DESTROY, the quit message
  EXPECT_EQ(RunAttract(), -1);
  EXPECT_LE(Elapsed(), 3001u);
  ASSERT_EQ(dispatched.size(), 2u);
  EXPECT_EQ(std::pair(dispatched[0].message, dispatched[1].message), std::pair(WM_CLOSE, WM_DESTROY));
}

TEST_F(AttractTest, DrawsNothingWhileMessagesKeepArrivingAndSpaceReturnsOne) {
  for (int i = 0; i < 30; ++i) At(1000, Kind::Press, 'A'), At(1000, Kind::Release, 'A');
  At(2000, Kind::Press, VK_SPACE);
  EXPECT_EQ(RunAttract(), 1);
  EXPECT_LE(Elapsed(), 2002u);
  ASSERT_EQ(dispatched.size(), 61u);  // 60 for 'A', Space's key-down
  EXPECT_GT(dispatched[0].presentsBefore, 400u);
  for (int i = 1; i < 60; ++i) EXPECT_EQ(dispatched[i].presentsBefore, dispatched[0].presentsBefore);
  EXPECT_GT(dispatched[60].presentsBefore, dispatched[0].presentsBefore);
}

class IntermissionTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    StartStage();  // the actors' animations as play leaves them
  }
  int Tune() { return BufferOfSize(kIntermissionWaveBytes); }
};

TEST_F(IntermissionTest, SceneOneTurnsOnPass314AndEndsOnPass521OfPhaseTwo) {
  stageNumber = 4;
  std::vector<std::uint32_t> times;
  int lastGhost = -1, firstBlue = -1;
  WatchPresents([&](const Frame& frame, std::uint32_t now) {
    if (frame.Shows(118, {"ghost1_1.bmp", "ghost1_2.bmp"})) lastGhost = static_cast<int>(times.size());
    if (firstBlue < 0 && frame.Shows(118, {"BlueGhost1.bmp", "BlueGhost2.bmp"}))
      firstBlue = static_cast<int>(times.size());
    times.push_back(now);
  });

  PlayIntermission(1);

  // 313 frames of the ghost chasing, a turning pass that draws nothing, then
  // 520 frames of the blue ghost chased.
  ASSERT_EQ(times.size(), 313u + 520u);
  EXPECT_EQ(times[313] - times[312], 34u);
  EXPECT_TRUE(lastGhost >= 0 && lastGhost < 313) << lastGhost;
  EXPECT_GE(firstBlue, 313);
  EXPECT_EQ(CountCalls(Tune(), Op::Play), 1 + 313);
  EXPECT_EQ(CountCalls(Tune(), Op::Rewind), 1);
  EXPECT_EQ(CountCalls(Tune(), Op::Release), 1);
  EXPECT_EQ(std::tuple(gameState, dotCount), std::tuple(StageStart, 16 * 20));
}

TEST_F(IntermissionTest, SceneTwoStopsTheGhostAtTheCheckerAndStripsIt) {
  stageNumber = 7;
  int followed = 0;
  std::vector<int> perPicture(6, 0);
  bool againstChecker = true;
  std::uint32_t lastPresent = 0;
  WatchPresents([&](const Frame& frame, std::uint32_t now) {
    lastPresent = now;
    followed += frame.Shows(118, {"ghost1_1.bmp", "ghost1_2.bmp"});
    const Frame::Run ghost = frame.ScanRow(113, {"NudeGhost1.bmp", "NudeGhost2.bmp", "NudeGhost3.bmp",
                                                 "NudeGhost4.bmp", "NudeGhost5.bmp", "NudeGhost6.bmp"});
    if (ghost.picture < 0) return;
    ++perPicture[ghost.picture];
    // Picture i is 13 - i pixels wide; its right edge stays at x = 100, by the checker.
    againstChecker &= ghost.right == 100 && ghost.left == 100 - (13 - ghost.picture) &&
                      frame.At(109, 139) == ColorOf("Checker.bmp");
  });

  PlayIntermission(2);

  EXPECT_EQ(followed, 213);
  EXPECT_TRUE(againstChecker);
  // A picture changes once more than 400 ms have passed, every 24th frame.
  EXPECT_EQ(perPicture, (std::vector<int>{23, 24, 24, 24, 24, 1}));
  EXPECT_GE(Elapsed() - lastPresent, 3000u);
  EXPECT_EQ(CountCalls(Tune(), Op::Release), 1);
  EXPECT_EQ(gameState, StageStart);
  EXPECT_EQ(ghosts[0].frameCount, 2);  // the stage start set play's animation again
}

TEST_F(IntermissionTest, SceneThreeSlidesTheMoonDownInFiftyFramesAndLeavesItsTunePlaying) {
  stageNumber = 11;
  std::vector<int> perFace(6, 0), slideTops;
  bool crowdAsDrawn = true;
  WatchPresents([&](const Frame& frame, std::uint32_t) {
    int face = -1, top = 0;
    for (; top < 240 && face < 0; ++top) {
      for (int i = 0; i < 6; ++i)
        face = frame.At(230, top) == ColorOf("MogMoon" + std::to_string(i + 1) + ".bmp") ? i : face;
    }
    ASSERT_GE(face, 0);
    ++perFace[face];
    if (face == 5) return slideTops.push_back(top - 1);
    // Crowd k shows the first picture of ghost g(k) = 0 3 0 0 2 3 1 2 1; the
    // front row covers the back row's lower edge.
    const int ghost[9] = {0, 3, 0, 0, 2, 3, 1, 2, 1};
    for (int k = 0; k < 9; ++k) {
      const int x = k < 4 ? 211 + 15 * k : 203 + 15 * (k - 4), y = k < 4 ? 78 : 101;
      crowdAsDrawn &= frame.At(x, y) == ColorOf("ghost" + std::to_string(ghost[k] + 1) + "_1.bmp");
    }
  });

  PlayIntermission(3);

  // A face changes once more than 1000 ms have passed: 59 frames of 17 ms;
  // then the last face slides down a pixel a frame.
  EXPECT_EQ(perFace, (std::vector<int>{59, 59, 59, 59, 59, 50}));
  EXPECT_EQ(std::pair(slideTops.front(), slideTops.back()), std::pair(11, 60));
  EXPECT_TRUE(crowdAsDrawn);
  EXPECT_TRUE(LastFrame().Shows(100, {"slipGhost3.bmp"}));
  EXPECT_EQ(std::tuple(CountCalls(Tune(), Op::Play), CountCalls(Tune(), Op::Release)), std::tuple(2, 0));
  EXPECT_EQ(gameState, Credits);  // the credits check the canvas was left empty for them
  ReleaseIntermissionEffect();
  ReleaseIntermissionEffect();
  EXPECT_EQ(CountCalls(Tune(), Op::Release), 1);
}

}  // namespace
}  // namespace screentest
