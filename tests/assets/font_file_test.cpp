// The built font: its layout, the shape rules every glyph keeps, the game's
// own loader on it, and the font tool's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>

#include "data_test_support.h"
#include "text/font_set.h"

namespace datatest {
namespace {

using Glyph = std::vector<std::uint8_t>;

Glyph GlyphOf(const Bytes& font, int code) {
  return Glyph(font.begin() + 16 * code, font.begin() + 16 * code + 16);
}

int LowestRow(const Glyph& glyph) {
  for (int row = 15; row >= 0; --row) {
    if (glyph[row] != 0) return row;
  }
  return -1;
}

TEST(FontFile, PrintablesAreDrawnDistinctAndEverythingElseIsBlank) {
  const Bytes font = ReadBytes(DataFile("e1.eng"));
  ASSERT_EQ(font.size(), 4096u);
  std::set<Glyph> seen;
  for (int code = 0; code < 256; ++code) {
    const Glyph glyph = GlyphOf(font, code);
    const bool blank = std::all_of(glyph.begin(), glyph.end(), [](std::uint8_t row) { return row == 0; });
    if (code > 0x20 && code < 0x7F) {
      EXPECT_FALSE(blank) << "code " << code;
      EXPECT_TRUE(seen.insert(glyph).second) << "code " << code << " looks like another character";
    } else {
      EXPECT_TRUE(blank) << "code " << code;
    }
  }
}

// Letters never touch (column 7 stays clear), capitals and digits stand on
// row 12, and only the descenders go lower.
TEST(FontFile, GlyphsShareOneBaselineAndSpacing) {
  const Bytes font = ReadBytes(DataFile("e1.eng"));
  ASSERT_EQ(font.size(), 4096u);
  const std::string descenders = "gjpqy,;_";
  for (int code = 0x21; code < 0x7F; ++code) {
    const Glyph glyph = GlyphOf(font, code);
    for (int row = 0; row < 16; ++row) EXPECT_EQ(glyph[row] & 1, 0) << "code " << code << " row " << row;
    EXPECT_EQ(glyph[0] | glyph[1], 0) << "code " << code;
    const char c = static_cast<char>(code);
    if (std::isalnum(static_cast<unsigned char>(c)) && descenders.find(c) == std::string::npos) {
      EXPECT_EQ(LowestRow(glyph), 12) << c;
    }
    if (descenders.find(c) != std::string::npos) {
      EXPECT_GT(LowestRow(glyph), 12) << c;
    }
  }
}

TEST(FontFile, TheGameLoadsItGlyphByGlyph) {
  const Bytes font = ReadBytes(DataFile("e1.eng"));
  ASSERT_EQ(font.size(), 4096u);
  FontSet fontSet;
  ASSERT_TRUE(fontSet.LoadLatinFont(DataFile("e1.eng").c_str()));
  EXPECT_EQ(fontSet.latinWidth, 8);
  EXPECT_EQ(fontSet.latinHeight, 16);
  EXPECT_TRUE(std::equal(font.begin(), font.end(), fontSet.latinGlyphs));
  fontSet.PrepareLatinGlyph('A');
  EXPECT_TRUE(std::equal(fontSet.latinGlyph, fontSet.latinGlyph + 16, font.begin() + 16 * 0x41));
}

TEST(FontTool, RefusesBrokenGridsNamingTheLine) {
  TempDir dir;
  std::string source;
  for (int code = 0x21; code < 0x7F; ++code) {
    source += "glyph " + std::to_string(code) + "\n";
    for (int row = 0; row < 16; ++row) source += row == 8 ? "..##....\n" : "........\n";
  }
  const std::string tool = ToolPath("font", "font_tool");
  WriteText(dir.File("good.txt"), source);
  const ToolRun good = RunTool(tool + " " + dir.File("good.txt") + " " + dir.File("good.eng"));
  ASSERT_EQ(good.status, 0) << good.output;
  EXPECT_EQ(ReadBytes(dir.File("good.eng")).size(), 4096u);

  std::string shortRow = source;
  shortRow.replace(shortRow.find("..##....\n"), 9, "..##...\n");  // glyph 0x21, row 8, file line 10
  WriteText(dir.File("short.txt"), shortRow);
  const ToolRun refused = RunTool(tool + " " + dir.File("short.txt") + " " + dir.File("short.eng"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("short.txt line 10: glyph 0x21 row 8 must be 8 cells"), std::string::npos)
      << refused.output;
  EXPECT_NE(refused.output.find("printable character 0x21 '!' has no glyph"), std::string::npos)
      << refused.output;
  EXPECT_FALSE(std::filesystem::exists(dir.File("short.eng")));
}

}  // namespace
}  // namespace datatest
