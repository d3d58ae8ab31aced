// The best score's file: four little-endian bytes, replaced whole.
#include "game/high_score.h"

#include <sys/resource.h>

#include <csignal>

#include "game_fixture.h"

namespace {

using gametest::Bytes;
using gametest::GameTest;

TEST_F(GameTest, HighScoreIsFourLittleEndianBytesAndZeroForAnythingLess) {
  const std::pair<Bytes, std::int32_t> cases[] = {
      {{0x34, 0x30, 0x00, 0x00}, 12340}, {{0xFE, 0xFF, 0xFF, 0xFF, 0x77}, -2}, {{0x34, 0x30, 0x01}, 0}};
  for (const auto& [bytes, expected] : cases) {
    gametest::WriteFile("HighScore.sco", bytes);
    highScore = 999;
    ReadHighScore();
    EXPECT_EQ(highScore, expected);
  }
  std::filesystem::remove("HighScore.sco");
  std::filesystem::create_directory("HighScore.sco");
  highScore = 999;
  ReadHighScore();
  EXPECT_EQ(highScore, 0) << "unreadable";
  std::filesystem::remove("HighScore.sco");
  highScore = 999;
  ReadHighScore();
  EXPECT_EQ(highScore, 0) << "missing";
}

TEST_F(GameTest, HighScoreFileIsReplacedWholeOrNotAtAll) {
  gametest::WriteFile("HighScore.sco", {0x88, 0x13, 0x00, 0x00, 0x99});
  // A second name keeps the old bytes only if the new value went to a new
  // file that took over the name.
  ASSERT_EQ(link("HighScore.sco", "old"), 0);
  highScore = 7000;
  WriteHighScore();
  EXPECT_EQ(gametest::ReadFile("HighScore.sco"), (Bytes{0x58, 0x1B, 0x00, 0x00}));
  EXPECT_EQ(gametest::ReadFile("old"), (Bytes{0x88, 0x13, 0x00, 0x00, 0x99}));
  // No file may grow, as on a full disk (its signal ignored, so the write
  // merely fails): the old file stays.
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  rlimit none = previous;
  none.rlim_cur = 0;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
  highScore = 12340;
  WriteHighScore();
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(gametest::ReadFile("HighScore.sco"), (Bytes{0x58, 0x1B, 0x00, 0x00}));
  const std::filesystem::directory_iterator files(".");
  EXPECT_EQ(std::distance(begin(files), end(files)), 2) << "no temporary file is left";
}

}  // namespace
