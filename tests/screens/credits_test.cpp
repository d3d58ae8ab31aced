#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "app/game_vars.h"
#include "app/globals.h"
#include "game/stage.h"
#include "screen_fixture.h"
#include "screens/screens.h"

namespace screentest {
namespace {

using Kind = platform::ScriptEvent::Kind;
using Op = platform::SoundCall::Op;

class CreditsTest : public ScreenTest {};

TEST_F(CreditsTest, SpaceAfterTheLastSceneStartsAFreshGameKeepingTheHighScore) {
  stageNumber = 11;
  StartStage();
  score = 6500;
  highScore = 7000;
  lives = 0;
  intermissionCount = 3;
  PlayIntermission(3);
  const int tune = BufferOfSize(kIntermissionWaveBytes);
  const int oldStartTune = BufferOfSize(kStageStartWaveBytes);
  At(Elapsed() + 200, Kind::Press, VK_SPACE);
  const std::uint32_t presentsBefore = backend().presentCount();

  ShowCredits();

  EXPECT_GT(backend().presentCount(), presentsBefore + 100);
  const Frame frame(backend());
  EXPECT_TRUE(frame.HasText(140, 20, "CREDIT", 0xFFFFFF));
  EXPECT_TRUE(frame.HasText(50, 60, "Produce : Quillon", 0xFFFFFF));
  EXPECT_TRUE(frame.HasText(50, 80, "Programing : Quillon", 0xFFFFFF));
  EXPECT_TRUE(frame.HasText(140, 100, "Tessel", 0xFFFFFF));
  EXPECT_TRUE(frame.HasText(50, 120, "Graphic : Varrow", 0xDEB8FF));
  // Nothing but the texts, on the canvas the scene left empty.
  EXPECT_EQ(frame.Count(kBackground) + frame.Count(kWhite) + frame.Count(To565(0xDEB8FF)), 320 * 240);

  EXPECT_EQ(gameState, Attract);
  EXPECT_EQ(stageNumber, 1);
  EXPECT_EQ(lives, 2);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(intermissionCount, 0);
  EXPECT_EQ(highScore, 7000);
  std::ifstream file("HighScore.sco", std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(bytes, (std::vector<unsigned char>{0x58, 0x1B, 0x00, 0x00}));
  EXPECT_EQ(fontSet.latinColor, 0xFFFFFFu);
  // The scene's tune is given back once; the catalogue's effects are new.
  EXPECT_EQ(CountCalls(tune, Op::Release), 1);
  EXPECT_EQ(CountCalls(oldStartTune, Op::Release), 1);
  EXPECT_NE(BufferOfSize(kStageStartWaveBytes), oldStartTune);
}

TEST_F(CreditsTest, EscWinsOverSpaceAndQuits) {
  SetGameState(Credits);
  HoldNow(VK_SPACE);
  HoldNow(VK_ESCAPE);

  ShowCredits();

  EXPECT_EQ(backend().presentCount(), 0u);
  EXPECT_EQ(activeFlag, 0u);
  EXPECT_EQ(gameState, Credits);
  EXPECT_TRUE(QuitMessageQueued());
}

}  // namespace
}  // namespace screentest
