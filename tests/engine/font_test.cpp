#include <gtest/gtest.h>

#include "engine_support.h"
#include "text/font_set.h"

namespace enginetest {
namespace {

// Row r of glyph c in the test font: tells glyphs and rows apart.
std::uint8_t FontByte(int c, int r) { return static_cast<std::uint8_t>((c * 7 + r * 29 + 1) ^ (r << 4)); }

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(canvas_.Create(rig_.directDraw(), 320, 240));
    rig_.display().Clear(canvas_.GetSurface());
    Bytes font(4096);
    for (int i = 0; i < 4096; ++i) font[static_cast<std::size_t>(i)] = FontByte(i / 16, i % 16);
    WriteBytes(dir_.File("e1.eng"), font);
  }
  // The glyph's pixels at (x, y) in the colour; returns how many are set.
  int ExpectGlyph(int x, int y, int c, std::uint16_t colour) {
    int set = 0;
    for (int r = 0; r < 16; ++r) {
      for (int column = 0; column < 8; ++column) {
        const bool on = (FontByte(c, r) >> (7 - column)) & 1;
        set += on;
        EXPECT_EQ(canvas_.GetSurface()->PixelAt(x + column, y + r), on ? colour : kClearValue) << c;
      }
    }
    return set;
  }

  DisplayRig rig_;
  TempDir dir_;
  Sprite canvas_;
  FontSet font_;
};

TEST_F(FontTest, EachByteDrawsItsGlyphInTheCurrentColour) {
  ASSERT_TRUE(font_.LoadLatinFont(dir_.File("e1.eng").c_str()));
  font_.PrepareLatinGlyph(0x41);
  EXPECT_EQ(font_.latinGlyph[15], ReadBytes(dir_.File("e1.eng"))[1040 + 15]);
  // Blanks, control and high bytes are glyphs like any other.
  font_.SetTextColor(0x0000FF);
  EXPECT_TRUE(font_.DrawLatinText(canvas_, 10, 30, "A \x01\x80\xFF"));
  font_.SetTextColor(0xFFFFFF);
  EXPECT_TRUE(font_.DrawLatinText(canvas_, 10, 60, "H"));
  EXPECT_TRUE(font_.DrawLatinText(canvas_, 10, 90, ""));
  int drawn = ExpectGlyph(10, 60, 'H', 0xFFFF);
  const int codes[] = {0x41, 0x20, 0x01, 0x80, 0xFF};
  for (int i = 0; i < 5; ++i) drawn += ExpectGlyph(10 + 8 * i, 30, codes[i], 0xF800);
  EXPECT_EQ(CountChanged(canvas_.GetSurface()), drawn);  // nothing outside the cells
}

TEST_F(FontTest, ShortOrMissingFontFiles) {
  FontSet fresh;
  EXPECT_FALSE(fresh.LoadLatinFont(dir_.File("missing.eng").c_str()));
  EXPECT_FALSE(fresh.DrawLatinText(canvas_, 0, 0, "SCORE"));
  // A 100-byte file fills only its 100 bytes; the rest keep what they were.
  WriteBytes(dir_.File("short.eng"), Bytes(100, 0x00));
  ASSERT_TRUE(font_.LoadLatinFont(dir_.File("e1.eng").c_str()));
  ASSERT_TRUE(font_.LoadLatinFont(dir_.File("short.eng").c_str()));
  EXPECT_EQ(font_.latinGlyphs[99], 0);
  EXPECT_EQ(font_.latinGlyphs[100], FontByte(6, 4));
  ASSERT_TRUE(fresh.LoadLatinFont(dir_.File("short.eng").c_str()));
  fresh.SetTextColor(0xFFFFFF);
  EXPECT_TRUE(fresh.DrawLatinText(canvas_, 0, 0, "\x06\x41\xFF"));
  EXPECT_EQ(CountChanged(canvas_.GetSurface()), 0);
}

}  // namespace
}  // namespace enginetest
