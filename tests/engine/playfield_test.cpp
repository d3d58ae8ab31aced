#include "game/playfield.h"

#include <gtest/gtest.h>

#include <cstring>
#include <span>

#include "engine_support.h"
#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/stage.h"

namespace enginetest {
namespace {

// One 565 value per picture (base + number, entry or direction), so the frame
// tells which was drawn where; the player's pictures differ in every pixel, so
// mirroring shows.
constexpr std::uint16_t kWall = 0x2000, kGhost = 0x4000, kEye = 0x5000;
std::uint16_t PlayerValue(int entry, int x, int y) {
  return static_cast<std::uint16_t>(0x6000 + entry * 256 + y * 16 + x);
}
constexpr std::uint16_t kDotValue[] = {0x3001, 0x3002};
constexpr std::uint16_t kRed = 0xF800;
constexpr std::uint16_t kWhite = 0xFFFF;

// Holds an actor's animation at a frame.
void Freeze(Actor& actor, std::int32_t frame, std::int32_t frames) {
  actor.frameCount = frames;
  actor.frame = frame;
  actor.framePeriod = 1000000;
  actor.lastAdvance = timeGetTime();
}

class PlayfieldTest : public ::testing::Test {
 protected:
  std::span<Sprite> tables_[6] = {wallPictures,   ghostPictures, eyePictures,
                                  playerPictures, dotPictures,   {&canvas, 1}};
  void SetUp() override {
    ASSERT_TRUE(canvas.Create(rig_.directDraw(), 320, 240));
    const std::function<std::uint16_t(int, int, int)> values[] = {
        [](int i, int, int) { return kWall + i + 1; }, [](int i, int, int) { return kGhost + i; },
        [](int i, int, int) { return kEye + i; }, PlayerValue,
        // Dots keyed all round their middle, so the wall under them shows.
        [](int i, int x, int y) { return x == 6 && y == 6 ? kDotValue[i] : std::uint16_t{0xFC10}; }};
    for (int t = 0; t < 5; ++t) {
      for (int i = 0; i < static_cast<int>(tables_[t].size()); ++i) {
        ASSERT_TRUE(tables_[t][i].Create(rig_.directDraw(), t == 2 ? 9 : 13, t == 2 ? 5 : 13));
        FillSprite(tables_[t][i], [&](int x, int y) { return values[t](i, x, y); });
      }
    }
    // Row 0 of glyph c is the byte c, so the frame spells its text out.
    Bytes font(4096, 0);
    for (int c = 0; c < 256; ++c) font[static_cast<std::size_t>(16 * c)] = static_cast<std::uint8_t>(c);
    WriteBytes(dir_.File("e1.eng"), font);
    ASSERT_TRUE(fontSet.LoadLatinFont(dir_.File("e1.eng").c_str()));
    // Nothing but what a test asks for: no bodies, eyes, player, lives or combo.
    std::memset(&maze, 0, sizeof(maze));
    for (Actor& ghost : ghosts) {
      ghost = Actor();
      ghost.state = Eyes;
      ghost.direction = 9;
      Freeze(ghost, 0, 2);
    }
    player.direction = 9;
    Freeze(player, 0, 3);
    lives = score = highScore = comboCount = 0;
    blinkOn = 1;
    blinkGateLast = timeGetTime();
  }
  void TearDown() override {
    for (std::span<Sprite> table : tables_) {
      for (Sprite& sprite : table) sprite.Release();
    }
  }

  std::uint16_t At(int x, int y) { return rig_.backend().FramePixel(x, y); }
  // count characters at (x, y) in the colour, read from their glyphs' top rows.
  std::string TextAt(int x, int y, int count, std::uint16_t color) {
    std::string text(static_cast<std::size_t>(count), '\0');
    for (int bit = 0; bit < 8 * count; ++bit) {
      if (At(x + bit, y) == color)
        text[static_cast<std::size_t>(bit / 8)] |= static_cast<char>(0x80 >> bit % 8);
    }
    return text;
  }
  bool ShowsPlayer(int x, int y, int entry, int mirror) {
    for (int row = 0; row < 13; ++row) {
      for (int column = 0; column < 13; ++column) {
        const int sx = mirror == 1 ? 12 - column : column;
        const int sy = mirror == 2 ? 12 - row : row;
        if (At(x + column, y + row) != PlayerValue(entry, sx, sy)) return false;
      }
    }
    return true;
  }
  void Draw() {
    const std::uint32_t before = rig_.backend().presentCount();
    DrawPlayfield();
    ASSERT_EQ(rig_.backend().presentCount(), before + 1);
  }

  DisplayRig rig_{{}, &display};
  TempFolder dir_;
};

TEST_F(PlayfieldTest, WallNumbersAndBlinkingLargeDots) {
  const int walls[] = {1, 16, 17, -1};  // 17 and -1 name no picture
  for (int column = 0; column < 4; ++column) maze.walls[0][column] = walls[column];
  maze.dots[17][19] = 2;
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(At(12, 12), kWall + 1);
  EXPECT_EQ(At(13, 0), kWall + 16);
  EXPECT_EQ(At(26, 0) + At(39, 0), 2 * kClearValue);
  EXPECT_EQ(At(253, 227), kDotValue[1]);
  blinkOn = 0;  // the gate has not fired: hidden large dots stay hidden
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(At(253, 227), kClearValue);
  blinkGateLast = timeGetTime() - 501;
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(At(253, 227), kDotValue[1]);
}

TEST_F(PlayfieldTest, GhostBodiesAndEyesByMode) {
  const std::int32_t modes[] = {Chase, Wander, Blue, Eyes};
  for (int i = 0; i < 4; ++i) {
    ghosts[i].state = modes[i];
    ghosts[i].direction = 3 - i;
    ghosts[i].x = 20 + 40 * i;
    ghosts[i].y = 30;
    Freeze(ghosts[i], i % 2, 2);
  }
  ghosts[2].flashPhase = 1;
  ghosts[2].modeStart = timeGetTime() - 6999;
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(At(20, 42), kGhost + 0);  // ghost i, frame f: entry 2i + f
  EXPECT_EQ(At(60, 42), kGhost + 3);
  EXPECT_EQ(At(102, 32), kGhost + 8);   // plain blue, no eyes
  EXPECT_EQ(At(140, 30), kClearValue);  // eyes only
  for (const int i : {0, 1, 3}) EXPECT_EQ(At(30 + 40 * i, 36), kEye + (3 - i)) << i;

  ghosts[2].modeStart = timeGetTime() - 7000;  // from now on the flash phase picks the pair
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(At(100, 30), kGhost + 10);
  ghosts[2].framePeriod = 100;  // a new animation frame flips the phase
  ghosts[2].lastAdvance = timeGetTime() - 101;
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(At(100, 30), kGhost + 9);
}

TEST_F(PlayfieldTest, PlayerScoreColumnComboAndSpareLives) {
  player.x = 100;
  player.y = 150;
  const int cases[][4] = {{Left, 2, 2, 0}, {Right, 2, 2, 1}, {Up, 1, 4, 0}, {Down, 1, 4, 2}, {Down, 2, 5, 2}};
  for (const auto& [direction, frame, entry, mirror] : cases) {
    player.direction = direction;
    Freeze(player, frame, 3);
    ASSERT_NO_FATAL_FAILURE(Draw());
    EXPECT_TRUE(ShowsPlayer(100, 150, entry, mirror)) << direction << " " << frame;
  }

  highScore = 12340;
  score = 560;
  lives = 3;
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(TextAt(270, 0, 5, kRed), std::string("HIGH\0", 5));
  EXPECT_EQ(TextAt(270, 20, 6, kRed), std::string("SCORE\0", 6));
  EXPECT_EQ(TextAt(270, 40, 6, kRed), std::string("12340\0", 6));
  EXPECT_EQ(TextAt(270, 60, 6, kWhite), std::string("SCORE\0", 6));
  EXPECT_EQ(TextAt(270, 80, 4, kWhite), std::string("560\0", 4));
  EXPECT_EQ(TextAt(270, 150, 6, kWhite), std::string(6, '\0'));  // no combo, no lines
  for (const int x : {270, 283, 296}) EXPECT_TRUE(ShowsPlayer(x, 120, 0, 1)) << x;
  EXPECT_EQ(At(309, 125), kClearValue);

  comboCount = 3;
  lives = 5;
  ASSERT_NO_FATAL_FAILURE(Draw());
  EXPECT_EQ(TextAt(270, 150, 6, kWhite), "Combo3");
  EXPECT_EQ(TextAt(270, 170, 5, kWhite), std::string("+900\0", 5));
  EXPECT_TRUE(ShowsPlayer(270, 120, 0, 1));
  EXPECT_EQ(TextAt(283, 118, 4, kWhite), std::string("x 5\0", 4));
}

}  // namespace
}  // namespace enginetest
