#include <gtest/gtest.h>

#include "app/game_vars.h"
#include "app/globals.h"
#include "screen_fixture.h"
#include "screens/screens.h"

namespace screentest {
namespace {

using Kind = platform::ScriptEvent::Kind;

class AttractTest : public ScreenTest {};

TEST_F(AttractTest, RevealsTheTableThenRunsTheChaseToTheRightEdge) {
  struct Row {
    int y;
    const char *picture, *nickname, *name;
    COLORREF color;
  };
  const Row rows[4] = {{40, "ghost1_1.bmp", "- HUNTER", "\"ZORBY\"", 0x0000FF},
                       {60, "ghost2_1.bmp", "- RACER", "\"MIMSY\"", 0xDEB8FF},
                       {80, "ghost3_1.bmp", "- DODGER", "\"TUCKO\"", 0xDEFF00},
                       {100, "ghost4_1.bmp", "- DAWDLER", "\"GRUFF\"", 0x47B8FF}};
  const std::uint32_t start = backend().now();
  std::uint32_t firstGhost = 0;
  std::uint32_t firstChase = 0;
  bool tableChecked = false;
  bool turned = false;
  bool dotBeforeTurn = false;
  bool dotAfterTurn = false;
  bool mirroredAfterTurn = false;
  WatchPresents([&](const Frame& frame, std::uint32_t now) {
    const std::uint32_t t = now - start;
    EXPECT_TRUE(frame.HasText(100, 15, "CHARACTER / NICKNAME", 0xFFFFFF)) << t;
    if (firstGhost == 0 && frame.At(77, 40) == ColorOf("ghost1_1.bmp")) firstGhost = t;
    if (!tableChecked && t > 14000 && frame.HasText(107, 200, "Press SpaceKey", 0xFFFFFF)) {
      tableChecked = true;
      for (const Row& row : rows) {
        EXPECT_EQ(frame.At(77, row.y), ColorOf(row.picture));
        EXPECT_EQ(frame.At(79, row.y + 2), ColorOf("Right_eye.bmp"));
        EXPECT_TRUE(frame.HasText(103, row.y, row.nickname, row.color)) << row.nickname;
        EXPECT_TRUE(frame.HasText(195, row.y, row.name, row.color)) << row.name;
      }
      EXPECT_EQ(frame.At(125, 160), ColorOf("sDot.bmp"));
      EXPECT_TRUE(frame.HasText(145, 158, "10 PTS", 0xFFFFFF) && frame.HasText(145, 174, "50 PTS", 0xFFFFFF));
    }
    // Row 132 crosses the large dot, the figures and the eyes of the chase.
    const Frame::Run body = frame.ScanRow(132, {"Mog1.bmp", "Mog2.bmp", "Mog3.bmp"});
    turned = turned || frame.ScanRow(132, {"BlueGhost1.bmp", "BlueGhost2.bmp"}).picture >= 0;
    const bool dot = frame.ScanRow(132, {"lDot.bmp"}).picture >= 0;
    (turned ? dotAfterTurn : dotBeforeTurn) |= dot;
    if (body.picture >= 0 && firstChase == 0) firstChase = t;
    // Mirrored, the marked left column lands right of the body.
    if (turned && body.picture >= 0 && frame.At(body.right, 132) == kMarker) mirroredAfterTurn = true;
  });

  EXPECT_EQ(RunAttract(), 2);

  // A pass takes 2 ms here: an empty queue, then a present.
  EXPECT_GT(firstGhost, 1500u);
  EXPECT_LE(firstGhost, 1505u);
  EXPECT_TRUE(tableChecked);
  EXPECT_GT(firstChase, 15300u);  // step 13 lasts 800 ms like step 14
  EXPECT_LE(firstChase, 15340u);
  EXPECT_TRUE(dotBeforeTurn);
  EXPECT_FALSE(dotAfterTurn);
  EXPECT_TRUE(mirroredAfterTurn);
  EXPECT_EQ(player.x, 320);
  EXPECT_EQ(fontSet.latinColor, 0xFFFFFFu);
}

TEST_F(AttractTest, SpaceDuringTheChaseReturnsOneAndLeavesTheActorsThere) {
  At(15600, Kind::Press, VK_SPACE);
  EXPECT_EQ(RunAttract(), 1);
  EXPECT_LT(player.x, 200);
  EXPECT_GT(player.x, 80);
  EXPECT_LE(Elapsed(), 15602u);
}

TEST_F(AttractTest, TakingTheQuitMessageReturnsMinusOne) {
  At(3000, Kind::Close);  // the close button: WM_CLOSE, WM_DESTROY, the quit message
  EXPECT_EQ(RunAttract(), -1);
  EXPECT_LE(Elapsed(), 3001u);
  ASSERT_EQ(dispatched.size(), 2u);
  EXPECT_EQ(dispatched[0].message, WM_CLOSE);
  EXPECT_EQ(dispatched[1].message, WM_DESTROY);
}

TEST_F(AttractTest, DrawsNothingWhileMessagesKeepArriving) {
  for (int i = 0; i < 30; ++i) {
    At(1000, Kind::Press, 'A');
    At(1000, Kind::Release, 'A');
  }
  At(2000, Kind::Press, VK_SPACE);
  EXPECT_EQ(RunAttract(), 1);

  ASSERT_EQ(dispatched.size(), 61u);  // 60 for 'A', Space's key-down
  EXPECT_GT(dispatched[0].presentsBefore, 400u);
  for (int i = 1; i < 60; ++i) EXPECT_EQ(dispatched[i].presentsBefore, dispatched[0].presentsBefore);
  EXPECT_GT(dispatched[60].presentsBefore, dispatched[0].presentsBefore);
}

}  // namespace
}  // namespace screentest
