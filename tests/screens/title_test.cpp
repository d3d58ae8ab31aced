#include <gtest/gtest.h>

#include <vector>

#include "app/game_vars.h"
#include "game/gates.h"
#include "game/stage.h"
#include "screen_fixture.h"
#include "screens/screens.h"

namespace screentest {
namespace {

using Kind = platform::ScriptEvent::Kind;

class TitleTest : public ScreenTest {};

TEST_F(TitleTest, SpaceHeldOnEntryStartsTheStageBeforeAnythingIsDrawn) {
  stageNumber = 3;  // left by Esc during play, with dots eaten
  maze.dots[1][2] = 0;
  HoldNow(VK_SPACE);

  ShowTitle();

  EXPECT_EQ(backend().presentCount(), 0u);
  EXPECT_EQ(gameState, StageStart);
  EXPECT_EQ(stageNumber, 3);
  EXPECT_EQ(dotCount, 16 * 20);
}

TEST_F(TitleTest, EscWinsOverSpace) {
  SetGameState(Title);
  HoldNow(VK_SPACE);
  HoldNow(VK_ESCAPE);

  ShowTitle();

  EXPECT_EQ(backend().presentCount(), 0u);
  EXPECT_EQ(activeFlag, 0u);
  EXPECT_EQ(gameState, Title);
  EXPECT_TRUE(QuitMessageQueued());
}

TEST_F(TitleTest, BlinksThePromptAndTimesOutAfterThirtySecondsEachVisit) {
  blinkOn = 1;
  blinkGateLast = backend().now();  // the gate stays shut on the first pass
  const std::uint16_t picture = ColorOf("Title5.bmp");
  std::vector<std::uint32_t> flips;
  int frames = 0;
  bool shown = true;
  bool pictureInPlace = true;
  WatchPresents([&](const Frame& frame, std::uint32_t now) {
    // 101 pixels wide: x = (320 - 101) / 2 = 109.
    pictureInPlace = pictureInPlace && frame.At(109, 50) == picture && frame.At(209, 89) == picture &&
                     frame.At(108, 50) != picture && frame.At(210, 89) != picture &&
                     frame.At(109, 49) != picture && frame.At(109, 90) != picture;
    const bool prompt = frame.HasText(100, 200, "Press Space Key", 0xFFFFFF);
    if (frames++ == 0) {
      EXPECT_TRUE(prompt) << "the blink flag the last screen left decides";
    }
    if (prompt != shown) flips.push_back(now);
    shown = prompt;
  });
  const std::uint32_t start = backend().now();

  ShowTitle();

  EXPECT_TRUE(pictureInPlace);
  EXPECT_EQ(gameState, Attract);
  EXPECT_GT(backend().now() - start, 30000u);
  EXPECT_LE(backend().now() - start, 30002u);
  ASSERT_GE(flips.size(), 58u);
  for (std::size_t i = 1; i < flips.size(); ++i) EXPECT_EQ(flips[i] - flips[i - 1], 501u) << i;

  // A new visit counts its own 30 seconds: Space one second in starts the
  // game instead of a timeout at once.
  At(Elapsed() + 1000, Kind::Press, VK_SPACE);
  ShowTitle();
  EXPECT_EQ(gameState, StageStart);
}

}  // namespace
}  // namespace screentest
