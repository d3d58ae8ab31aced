// The display, sprites, BMP loading and text: what lands on a canvas.
#include <gtest/gtest.h>

#include <fstream>

#include "engine_support.h"
#include "text/font_set.h"

namespace enginetest {
namespace {

TEST(Display, StartsClearedWithOneReleasesTwiceAndSurvivesARefusedMode) {
  DisplayRig rig;
  ASSERT_TRUE(rig.initResult);
  EXPECT_EQ(CountChanged(rig.display.primary) + CountChanged(rig.display.GetBackBuffer()), 0);
  rig.display.Release();
  EXPECT_EQ(rig.display.primary, nullptr);
  rig.display.Release();

  DisplayRig refused(platform::HeadlessOptions{.displayModeFails = true});
  EXPECT_FALSE(refused.initResult);
  EXPECT_TRUE(refused.display.Clear(refused.display.GetBackBuffer()));
  refused.display.Present();
  EXPECT_EQ(refused.backend().presentCount(), 0u);
}

// A value of its own for every source pixel; never the key nor the clear value.
std::uint16_t Tag(int x, int y) { return static_cast<std::uint16_t>(0x0100 + y * 64 + x); }
Rgb Gradient(int x, int y) {
  return Rgb{static_cast<std::uint8_t>(40 * x + 7), static_cast<std::uint8_t>(60 * y + 3),
             static_cast<std::uint8_t>(255 - 30 * x - 40 * y)};
}

// Both pixel formats, each with rows longer than width x 2.
class DrawingTest : public ::testing::TestWithParam<bool> {
 protected:
  DrawingTest() : rig_({.use555 = GetParam(), .pitchPaddingBytes = GetParam() ? 6 : 10}) {}
  void SetUp() override {
    ASSERT_TRUE(canvas_.Create(rig_.directDraw(), 320, 240));
    rig_.display.Clear(canvas_.GetSurface());
  }
  void Tagged(Sprite& picture, int width, int height) {
    ASSERT_TRUE(picture.Create(rig_.directDraw(), width, height));
    FillSprite(picture, Tag);
  }
  std::uint16_t Key() const { return GetParam() ? 0x7E10 : 0xFC10; }
  std::uint16_t At(int x, int y) const { return canvas_.GetSurface()->PixelAt(x, y); }
  int Changed() const { return CountChanged(canvas_.GetSurface()); }
  void ExpectPicture(const Bytes& file, int width, int height, const std::function<Rgb(int, int)>& pixel) {
    WriteBytes(dir_.File("picture.bmp"), file);
    Sprite picture;
    ASSERT_TRUE(picture.LoadBmp(rig_.directDraw(), dir_.File("picture.bmp").c_str()));
    ASSERT_EQ(picture.GetWidth() * 1000 + picture.GetHeight(), width * 1000 + height);
    EXPECT_EQ(picture.rgbPixels, nullptr);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(picture.GetSurface()->PixelAt(x, y), ToPixel(pixel(x, y), GetParam())) << x << "," << y;
      }
    }
  }

  DisplayRig rig_;
  TempFolder dir_;
  Sprite canvas_;
};

TEST_P(DrawingTest, KeyedDrawCutsOnlyOffTheLeftAndTop) {
  Sprite wide;
  Tagged(wide, 20, 13);
  EXPECT_EQ(wide.ColorToPixel(kTransparentColor), Key());
  EXPECT_EQ(wide.ColorToPixel(250 | 130 << 8 | 133 << 16), Key());  // differs only in dropped bits
  EXPECT_EQ(wide.ColorToPixel(0x47B8FF), ToPixel({255, 184, 71}, GetParam()));
  // 20 x 13 at (-5, 10) shows columns 5 to 19; key pixels are skipped by the
  // cut copy and the plain copy alike.
  FillSprite(wide, [this](int x, int y) { return x == 8 ? Key() : Tag(x, y); });
  wide.Draw(canvas_.GetSurface(), -5, 10);
  wide.Draw(canvas_.GetSurface(), 100, 100);
  for (int row = 0; row < 13; ++row) {
    for (int column = 0; column < 15; ++column) {
      ASSERT_EQ(At(column, 10 + row), column == 3 ? kClearValue : Tag(column + 5, row));
    }
  }
  EXPECT_EQ(At(108, 100), kClearValue);
  EXPECT_EQ(At(109, 100), Tag(9, 0));
  EXPECT_EQ(Changed(), 14 * 13 + 19 * 13);

  rig_.display.Clear(canvas_.GetSurface());
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

TEST_P(DrawingTest, DrawMirroredTakesCutPartsFromTheFarSide) {
  Sprite picture;
  Tagged(picture, 10, 6);
  // Mode 1 at x = -3: the three columns cut off are the picture's rightmost.
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), -3, 20, 1), 1);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 50, 50, 2), 1);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 100, 50, 0), 1);
  EXPECT_EQ(picture.DrawMirrored(canvas_.GetSurface(), 200, -2, 2), 1);
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 10; ++column) {
      ASSERT_EQ(At(column, 20 + row), column < 7 ? Tag(6 - column, row) : kClearValue);
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

TEST_P(DrawingTest, PutPixelLandsOnItsRowAndDropsPixelsOutside) {
  canvas_.PutPixel(0, 0, 0x00FF00);
  canvas_.PutPixel(319, 1, 0x0000FF);
  EXPECT_EQ(At(0, 0), ToPixel({0, 255, 0}, GetParam()));
  EXPECT_EQ(At(319, 1), ToPixel({255, 0, 0}, GetParam()));
  // Written, each would land on a neighbouring row or outside the memory.
  for (const auto& [x, y] : {std::pair{320, 10}, {-1, 11}, {3, 240}, {3, -1}, {-100000, 5}}) {
    canvas_.PutPixel(x, y, 0xFFFFFF);
  }
  Sprite empty;
  empty.PutPixel(0, 0, 0xFFFFFF);
  empty.Draw(canvas_.GetSurface(), 10, 10);
  empty.DrawMirrored(canvas_.GetSurface(), 10, 10, 1);
  EXPECT_FALSE(empty.Create(nullptr, 5, 5));
  EXPECT_EQ(Changed(), 2);

  // Many pixels under one lock: the same ones land, the same are dropped.
  const auto plot = [](auto put) {
    for (const auto& [x, y] : {std::pair{5, 5}, {320, 10}, {-1, 11}, {3, 240}, {319, 239}, {3, -1}})
      put(x, y);
  };
  canvas_.PutPixels(0x0000FF, plot);
  empty.PutPixels(0x0000FF, plot);
  EXPECT_EQ(At(5, 5), ToPixel({255, 0, 0}, GetParam()));
  EXPECT_EQ(At(319, 239), ToPixel({255, 0, 0}, GetParam()));
  EXPECT_EQ(Changed(), 4);
}

TEST_P(DrawingTest, BmpStridesKeyAndLongerHeaders) {
  ExpectPicture(MakeBmp(5, 2, Gradient), 5, 2, Gradient);  // 15 bytes of pixels and 1 of padding a row
  ExpectPicture(MakeBmp(1, 3, Gradient), 1, 3, Gradient);  // 3 and 1
  ExpectPicture(MakeBmp(3, 2, Gradient, 108), 3, 2, Gradient);
  // File bytes 80 80 FF become the key value.
  WriteBytes(dir_.File("key.bmp"), MakeBmp(1, 1, [](int, int) { return Rgb{255, 128, 128}; }));
  Sprite keyed;
  ASSERT_TRUE(keyed.LoadBmp(rig_.directDraw(), dir_.File("key.bmp").c_str()));
  EXPECT_EQ(keyed.GetSurface()->PixelAt(0, 0), Key());
}

TEST_P(DrawingTest, UnreadableBmpFilesAreRefusedWhole) {
  const Bytes good = MakeBmp(5, 3, Gradient);
  const auto with = [&good](std::size_t at, std::uint32_t value, int size) {
    Bytes changed(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(at));
    PutLe(changed, value, size);
    changed.insert(changed.end(), good.begin() + static_cast<std::ptrdiff_t>(at) + size, good.end());
    return changed;
  };
  const auto size = static_cast<std::uint32_t>(good.size());
  const std::pair<Bytes, const char*> cases[] = {
      {Bytes(good.begin(), good.begin() + 30), "header cut short"},
      {with(2, 53, 4), "bfSize below 54"},
      {Bytes(good.begin(), good.end() - 1), "file ends before bfSize"},
      {with(2, 0xFFFFFFF0u, 4), "bfSize far past the file"},
      {with(2, size - 16, 4), "pixels short of stride x h"},
      {with(10, size - 8, 4), "pixels start too late"},
      {with(18, 0, 4), "width 0"},
      {with(18, 0xFFFFFFFB, 4), "negative width"},
      {with(18, 4097, 4), "width beyond 4096"},
      {with(18, 0x40000001, 4), "width overflowing the sizes"},
      {with(22, 0xFFFFFFFD, 4), "negative height"},
      {with(22, 5000, 4), "height beyond 4096"},
      {with(28, 32, 2), "32 bits per pixel"},
      {with(30, 1, 4), "compressed"}};
  Sprite picture;
  const std::string path = dir_.File("refused.bmp");
  for (const auto& [file, why] : cases) {
    WriteBytes(path, good);
    ASSERT_TRUE(picture.LoadBmp(rig_.directDraw(), path.c_str()));
    WriteBytes(path, file);
    const int files = OpenFileCount();
    EXPECT_FALSE(picture.LoadBmp(rig_.directDraw(), path.c_str())) << why;
    EXPECT_EQ(picture.GetSurface(), nullptr) << why;
    EXPECT_EQ(picture.rgbPixels, nullptr) << why;
    EXPECT_EQ(OpenFileCount(), files) << why;
  }
  EXPECT_FALSE(picture.LoadBmp(rig_.directDraw(), dir_.File("missing.bmp").c_str()));
  WriteBytes(path, good);
  EXPECT_FALSE(picture.LoadBmp(nullptr, path.c_str()));  // no surface can be made
  EXPECT_EQ(picture.GetSurface(), nullptr);
}

TEST_P(DrawingTest, BmpFilesWrittenByImageMagick) {
  if (!RunTool("command -v convert")) GTEST_SKIP() << "ImageMagick is not installed";
  static const Rgb pixels[2][7] = {
      {{255, 128, 128}, {10, 20, 30}, {250, 130, 133}, {0, 0, 0}, {255, 255, 255}, {1, 2, 3}, {200, 100, 50}},
      {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}, {40, 40, 40}, {50, 50, 50}, {60, 60, 60}, {70, 70, 70}}};
  std::ofstream ppm(dir_.File("source.ppm"));
  ppm << "P3 7 2 255\n";
  for (const auto& row : pixels) {
    for (const Rgb& c : row) ppm << int{c.r} << ' ' << int{c.g} << ' ' << int{c.b} << '\n';
  }
  ppm.close();
  // BMP3 writes the 40-byte info header, BMP the 124-byte one (pixels at 138).
  for (const std::string kind : {"BMP3", "BMP"}) {
    const std::string bmp = dir_.File(kind + ".bmp");
    ASSERT_TRUE(
        RunTool("convert '" + dir_.File("source.ppm") + "' -type TrueColor " + kind + ":'" + bmp + "'"));
    const Bytes file = ReadBytes(bmp);
    EXPECT_EQ(file.at(10), kind == "BMP" ? 138 : 54);
    ExpectPicture(file, 7, 2, [](int x, int y) { return pixels[y][x]; });
  }
}

// Row r of glyph c in the test font: tells glyphs and rows apart.
std::uint8_t FontByte(int c, int r) { return static_cast<std::uint8_t>((c * 7 + r * 29 + 1) ^ (r << 4)); }

TEST_P(DrawingTest, EachByteDrawsItsGlyphInTheCurrentColorAndShortFontsFillWhatTheyHave) {
  Bytes bytes(4096);
  for (std::size_t i = 0; i < 4096; ++i) bytes[i] = FontByte(int(i / 16), int(i % 16));
  WriteBytes(dir_.File("e1.eng"), bytes);
  WriteBytes(dir_.File("short.eng"), Bytes(100, 0x00));
  FontSet font;
  EXPECT_FALSE(font.LoadLatinFont(dir_.File("missing.eng").c_str()));
  EXPECT_FALSE(font.DrawLatinText(canvas_, 0, 0, "SCORE"));
  ASSERT_TRUE(font.LoadLatinFont(dir_.File("e1.eng").c_str()));
  // Blanks, control and high bytes are glyphs like any other.
  font.SetTextColor(0x0000FF);
  EXPECT_TRUE(font.DrawLatinText(canvas_, 10, 30, "A \x01\x80\xFF"));
  font.SetTextColor(0xFFFFFF);
  EXPECT_TRUE(font.DrawLatinText(canvas_, 10, 60, "H"));
  int drawn = 0;
  const auto expectGlyph = [&](int x, int y, int c, Rgb color) {
    for (int r = 0; r < 16; ++r) {
      for (int column = 0; column < 8; ++column) {
        const bool on = (FontByte(c, r) >> (7 - column)) & 1;
        drawn += on;
        EXPECT_EQ(At(x + column, y + r), on ? ToPixel(color, GetParam()) : kClearValue) << c;
      }
    }
  };
  expectGlyph(10, 60, 'H', {255, 255, 255});
  const int codes[] = {0x41, 0x20, 0x01, 0x80, 0xFF};
  for (int i = 0; i < 5; ++i) expectGlyph(10 + 8 * i, 30, codes[i], {255, 0, 0});
  EXPECT_EQ(Changed(), drawn);  // nothing outside the cells

  // A 100-byte file fills only its 100 bytes; the rest keep what they were.
  ASSERT_TRUE(font.LoadLatinFont(dir_.File("short.eng").c_str()));
  EXPECT_EQ(font.latinGlyphs[99], 0);
  EXPECT_EQ(font.latinGlyphs[100], FontByte(6, 4));
}

INSTANTIATE_TEST_SUITE_P(Formats, DrawingTest, ::testing::Bool());

}  // namespace
}  // namespace enginetest
