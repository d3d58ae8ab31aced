#include <gtest/gtest.h>

#include "engine_support.h"

namespace enginetest {
namespace {

// A value of its own for every source pixel; never the key nor the clear value.
std::uint16_t Tag(int x, int y) { return static_cast<std::uint16_t>(0x0100 + y * 64 + x); }

struct Format {
  bool use555;
  int padding;
};

class SpriteTest : public ::testing::TestWithParam<Format> {
 protected:
  SpriteTest()
      : rig_(platform::HeadlessOptions{.use555 = GetParam().use555,
                                       .pitchPaddingBytes = GetParam().padding}) {}
  void SetUp() override {
    ASSERT_TRUE(canvas_.Create(rig_.directDraw(), 320, 240));
    rig_.display().Clear(canvas_.GetSurface());
  }
  void Tagged(Sprite& picture, int width, int height) {
    ASSERT_TRUE(picture.Create(rig_.directDraw(), width, height));
    FillSprite(picture, Tag);
  }
  std::uint16_t Key() const { return GetParam().use555 ? 0x7E10 : 0xFC10; }
  std::uint16_t At(int x, int y) const { return canvas_.GetSurface()->PixelAt(x, y); }
  int Changed() const { return CountChanged(canvas_.GetSurface()); }

  DisplayRig rig_;
  Sprite canvas_;
};

TEST_P(SpriteTest, FormatKeyAndColourConversion) {
  Sprite picture;
  ASSERT_TRUE(picture.Create(rig_.directDraw(), 20, 13));
  EXPECT_EQ(picture.pixelFormat, GetParam().use555 ? 555 : 565);
  EXPECT_EQ(picture.greenMask, GetParam().use555 ? 0x03E0 : 0x07E0);
  EXPECT_EQ(picture.ColorToPixel(kTransparentColor), Key());
  EXPECT_EQ(picture.ColorToPixel(250 | 130 << 8 | 133 << 16), Key());  // differs only in dropped bits
  const Rgb orange{255, 184, 71};
  EXPECT_EQ(picture.ColorToPixel(0x47B8FF), GetParam().use555 ? To555(orange) : To565(orange));

  // Key-coloured pixels are skipped by the plain copy and the cut copy alike.
  FillSprite(picture, [this](int x, int y) { return x == 3 ? Key() : Tag(x, y); });
  picture.Draw(canvas_.GetSurface(), 10, 10);
  picture.Draw(canvas_.GetSurface(), -1, 100);
  EXPECT_EQ(At(13, 15), kClearValue);
  EXPECT_EQ(At(14, 15), Tag(4, 5));
  EXPECT_EQ(At(2, 105), kClearValue);
  EXPECT_EQ(At(3, 105), Tag(4, 5));
}

TEST_P(SpriteTest, DrawCutsOnlyOffTheLeftAndTop) {
  Sprite wide;
  Tagged(wide, 20, 13);
  wide.Draw(canvas_.GetSurface(), -5, 10);
  for (int row = 0; row < 13; ++row) {
    for (int column = 0; column < 15; ++column) ASSERT_EQ(At(column, 10 + row), Tag(column + 5, row));
  }
  EXPECT_EQ(Changed(), 15 * 13);

  rig_.display().Clear(canvas_.GetSurface());
  Sprite cell;
  Tagged(cell, 13, 13);
  EXPECT_EQ(cell.Draw(canvas_.GetSurface(), 641, 0), 0);
  EXPECT_EQ(cell.Draw(canvas_.GetSurface(), 0, 481), 0);
  // Past the canvas's right or bottom edge the copy is refused, not cut.
  for (const auto& [x, y] :
       {std::pair{640, 0}, {0, 480}, {-13, 5}, {5, -13}, {310, 0}, {0, 230}, {-2, 230}}) {
    cell.Draw(canvas_.GetSurface(), x, y);
  }
  EXPECT_EQ(Changed(), 0);
  EXPECT_EQ(cell.Draw(canvas_.GetSurface(), 4, -11), DD_OK);
  EXPECT_EQ(At(4, 0), Tag(0, 11));
  EXPECT_EQ(cell.Draw(canvas_.GetSurface(), 307, 227), DD_OK);
  EXPECT_EQ(At(319, 239), Tag(12, 12));
}

TEST_P(SpriteTest, DrawMirroredTakesCutPartsFromTheFarSide) {
  Sprite picture;
  Tagged(picture, 10, 6);
  // Mode 1 at x = -3: the three columns cut off are the picture's rightmost.
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), -3, 20, 1), 1);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 50, 50, 2), 1);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 100, 50, 0), 1);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 200, -2, 2), 1);
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 10; ++column) {
      if (column < 7) {
        ASSERT_EQ(At(column, 20 + row), Tag(6 - column, row));
      }
      ASSERT_EQ(At(50 + column, 50 + row), Tag(column, 5 - row));
      ASSERT_EQ(At(100 + column, 50 + row), Tag(9 - column, 5 - row));
    }
  }
  EXPECT_EQ(At(200, 0), Tag(0, 3));  // upside down, its bottom two rows cut
  const int drawn = 7 * 6 + 2 * 60 + 4 * 10;
  EXPECT_EQ(Changed(), drawn);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 641, 0, 1), 0);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 315, 0, 1), 1);  // not drawn, still 1
  EXPECT_EQ(Changed(), drawn);
}

TEST_P(SpriteTest, PutPixelLandsOnItsRowAndDropsPixelsOutside) {
  canvas_.PutPixel(0, 0, 0x00FF00);
  canvas_.PutPixel(319, 1, 0x0000FF);
  EXPECT_EQ(At(0, 0), GetParam().use555 ? 0x03E0 : 0x07E0);
  EXPECT_EQ(At(319, 1), GetParam().use555 ? 0x7C00 : 0xF800);
  // Written, each would land on a neighbouring row or outside the memory.
  for (const auto& [x, y] : {std::pair{320, 10}, {-1, 11}, {3, 240}, {3, -1}, {-100000, 5}}) {
    canvas_.PutPixel(x, y, 0xFFFFFF);
  }
  Sprite empty;
  empty.Release();
  empty.PutPixel(0, 0, 0xFFFFFF);
  empty.Draw(canvas_.GetSurface(), 10, 10);
  empty.DrawMirrored(canvas_.GetSurface(), 10, 10, 1);
  EXPECT_FALSE(empty.Create(nullptr, 5, 5));
  EXPECT_EQ(empty.GetSurface(), nullptr);
  EXPECT_EQ(Changed(), 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, SpriteTest,
                         ::testing::Values(Format{false, 0}, Format{true, 0}, Format{false, 10},
                                           Format{true, 6}));

}  // namespace
}  // namespace enginetest
