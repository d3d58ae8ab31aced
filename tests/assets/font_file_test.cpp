// The built font: its layout, the shape rules every glyph keeps and the
// game's own loader on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "data_test_support.h"
#include "text/font_set.h"

namespace datatest {
namespace {

// Printables are drawn and distinct, everything else blank. Letters never
// touch (column 7 and the top two rows stay clear), capitals and digits stand
// on row 12, and only the descenders go lower.
TEST(FontFile, GlyphsAreDistinctOnOneBaselineAndTheGameLoadsThem) {
  const Bytes font = ReadBytes(DataFile("e1.eng"));
  ASSERT_EQ(font.size(), 4096u);
  const std::string descenders = "gjpqy,;_";
  std::set<Bytes> seen;
  for (int code = 0; code < 256; ++code) {
    const Bytes glyph(font.begin() + 16 * code, font.begin() + 16 * code + 16);
    int lowest = -1;
    for (int row = 0; row < 16; ++row) lowest = glyph[row] != 0 ? row : lowest;
    const char c = static_cast<char>(code);
    if (code <= 0x20 || code >= 0x7F) {
      EXPECT_EQ(lowest, -1) << "code " << code << " should be blank";
      continue;
    }
    EXPECT_TRUE(seen.insert(glyph).second) << "code " << code << " looks like another character";
    EXPECT_GE(lowest, 2) << "code " << code;
    EXPECT_EQ(glyph[0] | glyph[1], 0) << "code " << code;
    for (int row = 0; row < 16; ++row) EXPECT_EQ(glyph[row] & 1, 0) << "code " << code << " row " << row;
    if (descenders.find(c) != std::string::npos) {
      EXPECT_GT(lowest, 12) << c;
    } else if (std::isalnum(static_cast<unsigned char>(c))) {
      EXPECT_EQ(lowest, 12) << c;
    }
  }

  FontSet fontSet;
  ASSERT_TRUE(fontSet.LoadLatinFont(DataFile("e1.eng").c_str()));
  EXPECT_EQ(fontSet.latinWidth, 8);
  EXPECT_EQ(fontSet.latinHeight, 16);
  EXPECT_TRUE(std::equal(font.begin(), font.end(), fontSet.latinGlyphs));
  fontSet.PrepareLatinGlyph('A');
  EXPECT_TRUE(std::equal(fontSet.latinGlyph, fontSet.latinGlyph + 16, font.begin() + 16 * 0x41));
}

}  // namespace
}  // namespace datatest
