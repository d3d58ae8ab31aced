#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/game_vars.h"
#include "app/globals.h"
#include "game/stage.h"
#include "screen_fixture.h"
#include "screens/screens.h"

namespace screentest {
namespace {

using Op = platform::SoundCall::Op;

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
  struct Shown {
    std::uint32_t time;
    bool ghost, blue;
  };
  std::vector<Shown> frames;
  bool mirrored = true;
  WatchPresents([&](const Frame& frame, std::uint32_t now) {
    frames.push_back({now, frame.ScanRow(118, {"ghost1_1.bmp", "ghost1_2.bmp"}).picture >= 0,
                      frame.ScanRow(118, {"BlueGhost1.bmp", "BlueGhost2.bmp"}).picture >= 0});
    const Frame::Run large = frame.ScanRow(110, {"Mog_Large1.bmp", "Mog_Large2.bmp", "Mog_Large3.bmp"});
    if (large.picture >= 0 && frame.At(large.right, 110) != kMarker) mirrored = false;
  });

  PlayIntermission(1);

  std::uint32_t rewoundAt = 0;
  for (const auto& recorded : backend().soundCalls()) {
    if (recorded.call.bufferId == Tune() && recorded.call.op == Op::Rewind) rewoundAt = recorded.time;
  }
  std::size_t phaseOne = 0;
  std::size_t blueShown = 0;
  for (const Shown& shown : frames) {
    phaseOne += shown.time < rewoundAt ? 1 : 0;
    EXPECT_FALSE(shown.time < rewoundAt ? shown.blue : shown.ghost);
    blueShown += shown.blue ? 1 : 0;
  }
  ASSERT_EQ(phaseOne, 313u);
  EXPECT_EQ(frames.size() - phaseOne, 520u);
  EXPECT_TRUE(frames.front().ghost);
  EXPECT_GT(blueShown, 300u);
  EXPECT_TRUE(mirrored);
  for (std::size_t i = 1; i < phaseOne; ++i) ASSERT_EQ(frames[i].time - frames[i - 1].time, 17u);
  EXPECT_EQ(frames[phaseOne].time - frames[phaseOne - 1].time, 34u);  // the turning pass draws nothing

  EXPECT_EQ(CountCalls(Tune(), Op::Play), 1 + 313);
  EXPECT_EQ(CountCalls(Tune(), Op::Rewind), 1);
  EXPECT_EQ(CountCalls(Tune(), Op::Release), 1);
  EXPECT_EQ(gameState, StageStart);
  EXPECT_EQ(dotCount, 16 * 20);
}

TEST_F(IntermissionTest, SceneTwoStopsTheGhostAtTheCheckerAndStripsIt) {
  stageNumber = 7;
  int followed = 0;
  std::vector<int> perPicture(6, 0);
  int lastPicture = 0;
  bool inOrder = true;
  bool againstChecker = true;
  bool eyesRight = true;
  std::uint32_t lastPresent = 0;
  WatchPresents([&](const Frame& frame, std::uint32_t now) {
    lastPresent = now;
    EXPECT_EQ(frame.At(109, 139), ColorOf("Checker.bmp"));
    if (frame.ScanRow(118, {"ghost1_1.bmp", "ghost1_2.bmp"}).picture >= 0) ++followed;
    const Frame::Run ghost = frame.ScanRow(113, {"NudeGhost1.bmp", "NudeGhost2.bmp", "NudeGhost3.bmp",
                                                 "NudeGhost4.bmp", "NudeGhost5.bmp", "NudeGhost6.bmp"});
    if (ghost.picture < 0) return;
    ++perPicture[ghost.picture];
    inOrder = inOrder && ghost.picture >= lastPicture;
    lastPicture = ghost.picture;
    // Picture i is 13 - i pixels wide; its right edge stays at x = 100.
    againstChecker = againstChecker && ghost.right == 100 && ghost.left == 100 - (13 - ghost.picture);
    const char* eye = ghost.picture < 5 ? "Left_eye.bmp" : "Down_eye.bmp";
    eyesRight = eyesRight && frame.At(ghost.left + 2, 115) == ColorOf(eye);
  });

  PlayIntermission(2);

  EXPECT_EQ(followed, 213);
  EXPECT_TRUE(inOrder && againstChecker && eyesRight);
  // A picture changes once more than 400 ms have passed, every 24th frame.
  EXPECT_EQ(perPicture, (std::vector<int>{23, 24, 24, 24, 24, 1}));
  EXPECT_GE(backend().now() - lastPresent, 3000u);
  EXPECT_EQ(CountCalls(Tune(), Op::Release), 1);
  EXPECT_EQ(gameState, StageStart);
  EXPECT_EQ(ghosts[0].frameCount, 2);  // the stage start set play's animation again
}

TEST_F(IntermissionTest, SceneThreeSlidesTheMoonDownInFiftyFramesAndLeavesItsTunePlaying) {
  stageNumber = 11;
  std::vector<int> perFace(5, 0);
  std::vector<int> slideTops;
  bool inOrder = true;
  bool sweatOnlyOnTheFifth = true;
  bool crowdAsDrawn = true;
  WatchPresents([&](const Frame& frame, std::uint32_t) {
    int face = -1;
    int top = 0;
    for (; top < 240 && face < 0; ++top) {
      for (int i = 0; i < 6; ++i)
        face = frame.At(230, top) == ColorOf("MogMoon" + std::to_string(i + 1) + ".bmp") ? i : face;
    }
    if (face == 5) {
      slideTops.push_back(top - 1);
      return;
    }
    ASSERT_GE(face, 0);
    inOrder = inOrder && (face == 0 || perFace[face - 1] > 0);
    ++perFace[face];
    const std::uint16_t sweat = ColorOf("Sweat1.bmp");
    const bool sweating =
        frame.At(264, 81) == sweat && frame.At(226, 92) == sweat && frame.At(271, 92) == sweat;
    sweatOnlyOnTheFifth = sweatOnlyOnTheFifth && sweating == (face == 4);
    // Crowd k shows the first picture of ghost g(k) = 0 3 0 0 2 3 1 2 1; the
    // front row covers the back row's lower edge.
    const int ghost[9] = {0, 3, 0, 0, 2, 3, 1, 2, 1};
    for (int k = 0; k < 9; ++k) {
      const int x = k < 4 ? 211 + 15 * k : 203 + 15 * (k - 4);
      const int y = k < 4 ? 78 : 89 + 12;
      crowdAsDrawn =
          crowdAsDrawn && frame.At(x, y) == ColorOf("ghost" + std::to_string(ghost[k] + 1) + "_1.bmp");
    }
  });

  PlayIntermission(3);

  ASSERT_EQ(slideTops.size(), 50u);
  EXPECT_EQ(slideTops.front(), 11);
  EXPECT_EQ(slideTops.back(), 60);
  // A face changes once more than 1000 ms have passed: 59 frames of 17 ms.
  EXPECT_EQ(perFace, (std::vector<int>{59, 59, 59, 59, 59}));
  EXPECT_TRUE(inOrder && sweatOnlyOnTheFifth && crowdAsDrawn);
  const Frame last(backend());
  EXPECT_GE(last.ScanRow(96, {"BlueGhost1.bmp", "BlueGhost2.bmp"}).picture, 0);
  EXPECT_GE(last.ScanRow(100, {"slipGhost3.bmp"}).picture, 0);

  EXPECT_EQ(CountCalls(Tune(), Op::Play), 2);
  EXPECT_EQ(CountCalls(Tune(), Op::Release), 0);
  EXPECT_EQ(gameState, Credits);
  WatchPresents([](const Frame&, std::uint32_t) {});
  canvas.Draw(display.GetBackBuffer(), 0, 0);
  display.Present();
  EXPECT_EQ(Frame(backend()).Count(kBackground), 320 * 240);  // left cleared for the credits

  ReleaseIntermissionEffect();
  ReleaseIntermissionEffect();
  EXPECT_EQ(CountCalls(Tune(), Op::Release), 1);
}

}  // namespace
}  // namespace screentest
