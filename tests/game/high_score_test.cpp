// The best score's file: four little-endian bytes, replaced whole, and saved
// once when the game quits or its window closes.
#include "game/high_score.h"

#include <unistd.h>

#include <filesystem>

#include "app/save_points.h"
#include "app/shell.h"
#include "game_fixture.h"
#include "platform/backend.h"

namespace {

using gametest::Bytes;
using gametest::GameTest;

TEST_F(GameTest, HighScoreIsFourLittleEndianBytesAndZeroForAnythingLess) {
  const std::pair<Bytes, std::int32_t> cases[] = {
      {{0x34, 0x30, 0x00, 0x00}, 12340}, {{0xFE, 0xFF, 0xFF, 0xFF, 0x77}, -2}, {{0x34, 0x30, 0x01}, 0}};
  for (const auto& [bytes, expected] : cases) {
    support::WriteBytes("HighScore.sco", bytes);
    highScore = 999;
    ReadHighScore();
    EXPECT_EQ(highScore, expected);
  }
  for (bool unreadable : {true, false}) {
    std::filesystem::remove("HighScore.sco");
    if (unreadable) std::filesystem::create_directory("HighScore.sco");
    highScore = 999;
    ReadHighScore();
    EXPECT_EQ(highScore, 0) << (unreadable ? "unreadable" : "missing");
  }
}

TEST_F(GameTest, HighScoreFileIsReplacedWholeOrNotAtAll) {
  support::WriteBytes("HighScore.sco", {0x88, 0x13, 0x00, 0x00, 0x99});
  // A second name keeps the old bytes only if the new value went to a new
  // file that took over the name.
  ASSERT_EQ(link("HighScore.sco", "old"), 0);
  highScore = 7000;
  WriteHighScore();
  EXPECT_EQ(support::ReadBytes("HighScore.sco"), (Bytes{0x58, 0x1B, 0x00, 0x00}));
  EXPECT_EQ(support::ReadBytes("old"), (Bytes{0x88, 0x13, 0x00, 0x00, 0x99}));
  // (A failed save leaving the old file: tests/platform/score_file_test.cpp.)
}

// Beyond quitting, a game that ends or a stage cleared saves a best score
// above the one last saved, and so does the exit handler, so a crash loses
// at most the game in progress.
TEST_F(GameTest, GameOverAClearedStageAndTheExitSaveABestScoreNotYetSaved) {
  support::WriteBytes("HighScore.sco", {100, 0, 0, 0});
  ReadHighScore();
  const struct {
    std::int32_t best;
    GameState to;  // Attract: the exit handler instead
    bool saved;
  } steps[] = {
      {100, GameOver, false},   {150, Title, false},     {150, StageStart, false}, {150, GameOver, true},
      {150, StageClear, false}, {200, StageClear, true}, {210, Attract, true},     {210, Attract, false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(std::to_string(step.best) + " to " + std::to_string(step.to));
    highScore = step.best;
    // Emptied, so only a save fills it.
    support::WriteBytes("HighScore.sco", Bytes{});
    if (step.to == Attract) {
      SaveUnsavedBestScore();
    } else {
      SaveAtGameEvents(Play, step.to);
    }
    const Bytes expected = step.saved ? Bytes{static_cast<std::uint8_t>(step.best), 0, 0, 0} : Bytes{};
    EXPECT_EQ(support::ReadBytes("HighScore.sco"), expected);
  }
}

bool closeAfterEscape;
bool quitAsked;

// Whole runs of the program, which press Esc once the score reaches 30, then
// close the window or press Esc again. The best score changes after that
// first quit, so a second save would store 4242. (Closing alone saves the
// best score in the simulation runs.)
TEST_F(GameTest, AQuitSavesTheBestScoreOnceThoughEscOrTheCloseButtonFollow) {
  gametest::Stage stage{.starts = {{{1, 1}, {10, 9}, {11, 9}, {12, 9}, {13, 9}}}};  // the ghosts far off
  for (int column = 1; column <= 4; ++column) stage.maze.dots[1][column] = 1;
  gametest::WriteStages({stage});
  playFrameWatcher = [](std::uint32_t, const FrameKeys&) {
    if (score == 30 && !quitAsked) {
      quitAsked = true;
      platform::PostKeyDown(VK_ESCAPE);
      closeAfterEscape ? platform::PostClose() : platform::PostKeyDown(VK_ESCAPE);
    }
  };
  backend().SetCallWatcher([] { highScore = quitAsked && activeFlag == 0 ? 4242 : highScore; });
  for (bool close : {true, false}) {
    closeAfterEscape = close;
    quitAsked = false;
    platform::ResetCore();
    SetGameState(Attract);
    player.direction = Right;
    backend().AddEvent({0, platform::ScriptEvent::Kind::Press, VK_SPACE});  // starts a game
    backend().SetDeadline(backend().elapsed() + 60000, [] { PostQuitMessage(99); });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT), 0) << "ended by itself";
    EXPECT_EQ(support::ReadBytes("HighScore.sco"), (Bytes{30, 0, 0, 0})) << close;
    EXPECT_EQ(highScore, 4242) << "a second save would have changed the file";
    std::filesystem::remove("HighScore.sco");
    canvas.Release();
    display.Release();
  }
}

}  // namespace
