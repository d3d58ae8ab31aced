#include <gtest/gtest.h>

#include "engine_support.h"

namespace enginetest {
namespace {

Rgb Gradient(int x, int y) {
  return Rgb{static_cast<std::uint8_t>(40 * x + 7), static_cast<std::uint8_t>(60 * y + 3),
             static_cast<std::uint8_t>(255 - 30 * x - 40 * y)};
}

class BmpTest : public ::testing::TestWithParam<bool> {
 protected:
  BmpTest() : rig_(platform::HeadlessOptions{.use555 = GetParam(), .pitchPaddingBytes = 4}) {}
  std::uint16_t Convert(Rgb c) const { return GetParam() ? To555(c) : To565(c); }
  void ExpectPicture(const Bytes& file, int width, int height, const std::function<Rgb(int, int)>& pixel) {
    WriteBytes(dir_.File("picture.bmp"), file);
    Sprite picture;
    ASSERT_TRUE(picture.LoadBmp(rig_.directDraw(), dir_.File("picture.bmp").c_str()));
    ASSERT_EQ(picture.GetWidth(), width);
    ASSERT_EQ(picture.GetHeight(), height);
    EXPECT_EQ(picture.rgbPixels, nullptr);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(picture.GetSurface()->PixelAt(x, y), Convert(pixel(x, y))) << x << y;
    }
  }

  DisplayRig rig_;
  TempDir dir_;
};

TEST_P(BmpTest, StridesRowOrderKeyAndLongerHeaders) {
  const Bytes five = MakeBmp(5, 2, Gradient);
  ASSERT_EQ(five.size(), 54u + 2 * 16);            // 15 bytes of pixels and 1 of padding a row
  EXPECT_EQ(five[54 + 16 + 2], Gradient(0, 0).r);  // the top row is stored last
  ExpectPicture(five, 5, 2, Gradient);
  ExpectPicture(MakeBmp(1, 3, Gradient), 1, 3, Gradient);  // 4-byte rows
  ExpectPicture(MakeBmp(3, 2, Gradient, 108), 3, 2, Gradient);
  ExpectPicture(MakeBmp(5, 3, Gradient, 124), 5, 3, Gradient);

  // File bytes 80 80 FF become the key value, and the picture shows through.
  WriteBytes(dir_.File("key.bmp"), MakeBmp(2, 1, [](int x, int) {
               return x ? Rgb{255, 128, 128} : Rgb{0, 200, 0};
             }));
  Sprite sprite;
  Sprite canvas;
  ASSERT_TRUE(sprite.LoadBmp(rig_.directDraw(), dir_.File("key.bmp").c_str()));
  EXPECT_EQ(sprite.GetSurface()->PixelAt(1, 0), GetParam() ? 0x7E10 : 0xFC10);
  ASSERT_TRUE(canvas.Create(rig_.directDraw(), 320, 240));
  rig_.display().Clear(canvas.GetSurface());
  sprite.Draw(canvas.GetSurface(), 10, 10);
  EXPECT_EQ(canvas.GetSurface()->PixelAt(10, 10), Convert(Rgb{0, 200, 0}));
  EXPECT_EQ(canvas.GetSurface()->PixelAt(11, 10), kClearValue);
}

TEST_P(BmpTest, UnreadableFilesAreRefusedWhole) {
  const Bytes good = MakeBmp(5, 3, Gradient);
  const auto with = [&good](std::size_t at, std::uint32_t value, int size) {
    Bytes changed(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(at));
    PutLe(changed, value, size);
    changed.insert(changed.end(), good.begin() + static_cast<std::ptrdiff_t>(at) + size, good.end());
    return changed;
  };
  const auto size = static_cast<std::uint32_t>(good.size());
  const std::pair<Bytes, const char*> cases[] = {
      {with(0, 0x4D43, 2), "not BM"},
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
      {with(28, 8, 2), "a palette picture"},
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

TEST_P(BmpTest, PicturesWrittenByImageMagick) {
  if (!HaveProgram("convert")) GTEST_SKIP() << "ImageMagick is not installed";
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

INSTANTIATE_TEST_SUITE_P(Formats, BmpTest, ::testing::Bool());

}  // namespace
}  // namespace enginetest
