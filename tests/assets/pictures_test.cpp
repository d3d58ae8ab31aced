// The pictures in the built data folder: present, in the one BMP form the
// game reads, sized for where they are drawn, loadable through the game's own
// Sprite with no visible pixel turning into the transparent key. Also the
// picture tool's refusals of broken sources, and the menu icons.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data_test_support.h"
#include "platform/ddraw.h"
#include "sprite/sprite.h"
#include "support/headless_env.h"

namespace datatest {
namespace {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend auto operator<=>(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kKey{255, 128, 128};

// A picture read back from its file, top row first; nullopt marks the key.
struct Bmp {
  int width = 0, height = 0;
  std::vector<std::optional<Rgb>> pixels;
  bool Visible(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x].has_value(); }
};

// Checks the header fields the game relies on, then decodes the pixels.
std::optional<Bmp> ReadBmp(const std::string& path, std::string& why) {
  const Bytes bytes = ReadBytes(path);
  if (bytes.size() < 54) return why = "shorter than the headers", std::nullopt;
  Bmp bmp{static_cast<std::int32_t>(Le(bytes, 18)), static_cast<std::int32_t>(Le(bytes, 22)), {}};
  const std::size_t stride = (3u * static_cast<std::uint32_t>(bmp.width) + 3u) & ~3u;
  const struct {
    bool bad;
    const char* why;
  } checks[] = {
      {bytes[0] != 'B' || bytes[1] != 'M', "no BM signature"},
      {Le(bytes, 2) != bytes.size(), "bfSize is not the file size"},
      {Le(bytes, 10) != 54 || Le(bytes, 14) != 40, "not a 54-byte header"},
      {Le(bytes, 26, 2) != 1 || Le(bytes, 28, 2) != 24 || Le(bytes, 30) != 0, "not plain 24 bits per pixel"},
      {bmp.width < 1 || bmp.height < 1, "not a positive size, bottom row first"},
      {bytes.size() != 54 + stride * static_cast<std::size_t>(bmp.height), "pixel data of the wrong length"},
  };
  for (const auto& check : checks) {
    if (check.bad) return why = check.why, std::nullopt;
  }
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      const std::size_t at = 54 + stride * static_cast<std::size_t>(bmp.height - 1 - y) + 3u * x;
      const Rgb color{bytes[at + 2], bytes[at + 1], bytes[at]};
      bmp.pixels.push_back(color == kKey ? std::nullopt : std::optional<Rgb>(color));
    }
  }
  return bmp;
}

std::string Numbered(std::string pattern, int n) {
  return pattern.replace(pattern.find('#'), 1, std::to_string(n));
}

// Every picture the game loads, by the names it loads them with.
std::vector<std::string> ExpectedNames() {
  std::vector<std::string> names = {"Left_eye.bmp",    "Right_eye.bmp",   "Up_eye.bmp", "Down_eye.bmp",
                                    "BlueGhost1.bmp",  "BlueGhost2.bmp",  "sDot.bmp",   "lDot.bmp",
                                    "BlueGhostF1.bmp", "BlueGhostF2.bmp", "Title5.bmp", "Checker.bmp",
                                    "Sweat1.bmp"};
  const std::pair<const char*, int> families[] = {
      {"Mog#.bmp", 6},       {"MogDead_#.bmp", 6},  {"NudeGhost#.bmp", 6}, {"MogMoon#.bmp", 6},
      {"Mog_Large#.bmp", 3}, {"slipGhost#.bmp", 3}, {"wall#.bmp", 16},     {"ghost1_#.bmp", 2},
      {"ghost2_#.bmp", 2},   {"ghost3_#.bmp", 2},   {"ghost4_#.bmp", 2}};
  for (const auto& [pattern, count] : families)
    for (int i = 1; i <= count; ++i) names.push_back(Numbered(pattern, i));
  return names;
}

// Every expected picture read once; those that fail to read are listed with why.
struct Built {
  std::map<std::string, Bmp> pictures;
  std::vector<std::string> problems;
};
const Built& Pictures() {
  static const Built built = [] {
    Built read;
    for (const auto& name : ExpectedNames()) {
      std::string why;
      if (auto bmp = ReadBmp(DataFile(name), why)) {
        read.pictures.emplace(name, std::move(*bmp));
      } else {
        read.problems.push_back(name + ": " + why);
      }
    }
    return read;
  }();
  return built;
}

const Bmp& Get(const std::string& name) {
  static const Bmp empty{1, 1, {std::nullopt}};
  const auto found = Pictures().pictures.find(name);
  if (found != Pictures().pictures.end()) return found->second;
  ADD_FAILURE() << name << " did not load";
  return empty;
}

// Sizes fit where each picture is drawn on the 320 by 240 canvas.
TEST(BuiltPictures, EveryPictureIsABmpTheGameReadsSizedForItsPlace) {
  for (const auto& problem : Pictures().problems) ADD_FAILURE() << problem;
  EXPECT_EQ(Pictures().pictures.size(), 67u);
  const struct {
    const char* prefix;
    int minWidth, maxWidth, minHeight, maxHeight;
  } sizes[] = {
      {"MogMoon", 1, 100, 1, 180},     // at x 220; the last one comes down to y 60
      {"Mog_Large", 39, 39, 39, 39},   // three times a cell
      {"NudeGhost", 13, 100, 13, 13},  // the eyes go over its left end, its right edge sits at x 100
      {"Title5", 1, 320, 1, 140},     {"Checker", 1, 220, 1, 120},  // at (100, 120)
      {"Sweat1", 1, 5, 1, 10},                                      // on a ghost, 8 in and 3 down
      {"Mog", 13, 13, 13, 13},        {"ghost", 13, 13, 13, 13},   {"BlueGhost", 13, 13, 13, 13},
      {"wall", 13, 13, 13, 13},       {"sDot", 13, 13, 13, 13},    {"lDot", 13, 13, 13, 13},
      {"slipGhost", 13, 13, 13, 13},  {"", 1, 11, 1, 11},  // eyes, 2 in from a body's corner
  };
  for (const auto& [name, bmp] : Pictures().pictures) {
    const auto fits = [&picture = name](const auto& s) { return picture.starts_with(s.prefix); };
    const auto size = std::find_if(std::begin(sizes), std::end(sizes), fits);
    EXPECT_TRUE(bmp.width >= size->minWidth && bmp.width <= size->maxWidth) << name << " " << bmp.width;
    EXPECT_TRUE(bmp.height >= size->minHeight && bmp.height <= size->maxHeight) << name << " " << bmp.height;
  }
}

TEST(BuiltPictures, WallPiecesJoinWhereTheirNeighboursAreWalls) {
  // Bit values of the wall piece numbers: piece 1 + (up 1 | right 2 | down 4 | left 8).
  enum Side { kUp = 1, kRight = 2, kDown = 4, kLeft = 8 };
  auto edge = [](const Bmp& bmp, Side side) {
    std::vector<bool> shown;
    for (int i = 0; i < 13; ++i) {
      const int x = side == kLeft ? 0 : side == kRight ? 12 : i, y = side == kUp ? 0 : side == kDown ? 12 : i;
      shown.push_back(bmp.Visible(x, y));
    }
    return shown;
  };
  // Two joining pieces whose other neighbours agree (a straight run, the
  // inside of a thick block) meet pixel for pixel. Where they disagree the
  // cell across the corner is open floor and only the middle of the wall has
  // to run on; its rim steps by the corner's size there.
  const struct {
    Side out, in, across;
  } facing[] = {{kRight, kLeft, Side(kUp | kDown)}, {kDown, kUp, Side(kLeft | kRight)}};
  for (int a = 0; a < 16; ++a) {
    const Bmp& first = Get(Numbered("wall#.bmp", a + 1));
    for (Side side : {kUp, kRight, kDown, kLeft}) {
      const auto e = edge(first, side);
      EXPECT_EQ(std::count(e.begin(), e.end(), true) > 0, (a & side) != 0) << "wall" << a + 1 << " " << side;
    }
    for (int b = 0; b < 16; ++b) {
      const Bmp& second = Get(Numbered("wall#.bmp", b + 1));
      for (const auto& join : facing) {
        if (!(a & join.out) || !(b & join.in)) continue;
        const auto from = edge(first, join.out), to = edge(second, join.in);
        const bool same = (a & join.across) == (b & join.across)
                              ? from == to
                              : std::equal(from.begin() + 4, from.end() - 4, to.begin() + 4);
        EXPECT_TRUE(same) << "wall" << a + 1 << " against wall" << b + 1;
      }
    }
    // A corner is filled exactly when both sides beside it are walls: thick
    // blocks stay solid and a lone wall end keeps its rounded corners.
    const struct {
      int x, y, sides;
    } corners[] = {
        {0, 0, kUp | kLeft}, {12, 0, kUp | kRight}, {0, 12, kDown | kLeft}, {12, 12, kDown | kRight}};
    for (const auto& corner : corners) {
      EXPECT_EQ(first.Visible(corner.x, corner.y), (a & corner.sides) == corner.sides)
          << "wall" << a + 1 << " corner " << corner.x << "," << corner.y;
    }
  }
}

// The player faces left and up, its mouth a clear gap on the facing side
// closing frame by frame; ghost bodies are mostly their own colour with a
// moving hem.
TEST(BuiltPictures, CharactersShowWhatTheyAreDrawnFor) {
  int previousGap = 99;
  for (int f = 1; f <= 3; ++f) {
    const Bmp& left = Get(Numbered("Mog#.bmp", f));
    const Bmp& up = Get(Numbered("Mog#.bmp", f + 3));
    EXPECT_FALSE(left.Visible(0, 6)) << f;
    EXPECT_TRUE(left.Visible(12, 6)) << f;
    EXPECT_FALSE(up.Visible(6, 0)) << f;
    EXPECT_TRUE(up.Visible(6, 12)) << f;
    int gap = 0;
    for (int y = 0; y < 13; ++y) gap += left.Visible(2, y) ? 0 : 1;
    EXPECT_LT(gap, previousGap) << "frame " << f << " should be less open than the one before";
    previousGap = gap;
  }

  const Rgb colors[4] = {{255, 0, 0}, {255, 184, 222}, {0, 255, 222}, {255, 184, 71}};
  for (int g = 0; g < 8; ++g) {
    const std::string name = "ghost" + std::to_string(g / 2 + 1) + "_" + std::to_string(g % 2 + 1) + ".bmp";
    std::map<Rgb, int> counts;
    for (const auto& p : Get(name).pixels)
      if (p) ++counts[*p];
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& x, const auto& y) { return x.second < y.second; });
    ASSERT_NE(most, counts.end()) << name;
    EXPECT_EQ(most->first, colors[g / 2]) << name;
  }
  EXPECT_NE(Get("ghost1_1.bmp").pixels, Get("ghost1_2.bmp").pixels);
  EXPECT_NE(Get("BlueGhost1.bmp").pixels, Get("BlueGhostF1.bmp").pixels);
}

struct Mean {
  double r = 0, g = 0, b = 0;
};

Mean MeanOf(const std::vector<std::string>& names) {
  Mean sum;
  int count = 0;
  for (const auto& name : names) {
    for (const auto& p : Get(name).pixels) {
      if (!p) continue;
      sum = {sum.r + p->r, sum.g + p->g, sum.b + p->b};
      ++count;
    }
  }
  return count == 0 ? sum : Mean{sum.r / count, sum.g / count, sum.b / count};
}

// RGB distance weighted by the mean red ("redmean"): a cheap approximation of
// how far apart two colours look, from 0 to about 765.
double ColorDistance(const Mean& x, const Mean& y) {
  const double red = (x.r + y.r) / 2, dr = x.r - y.r, dg = x.g - y.g, db = x.b - y.b;
  return std::sqrt((2 + red / 256) * dr * dr + 4 * dg * dg + (2 + (255 - red) / 256) * db * db);
}

// A frightened ghost must show at a glance on the floor and beside a wall,
// its flash must read as a flash, and a sweat drop must show on every body
// it is drawn on. Compared by the average colour of the visible pixels.
TEST(BuiltPictures, FrightenedGhostsAndSweatStandOutFromWhatIsBehindThem) {
  constexpr double kApart = 250;
  constexpr Mean kFloor{0, 0, 8};  // the canvas is cleared to pixel value 1
  std::vector<std::string> walls;
  for (int i = 1; i <= 16; ++i) walls.push_back(Numbered("wall#.bmp", i));
  const Mean frightened = MeanOf({"BlueGhost1.bmp", "BlueGhost2.bmp"});
  const Mean sweat = MeanOf({"Sweat1.bmp"});
  const struct {
    const char* what;
    Mean front, back;
  } pairs[] = {
      {"frightened ghost beside a wall", frightened, MeanOf(walls)},
      {"frightened ghost on the floor", frightened, kFloor},
      {"flashing against frightened", MeanOf({"BlueGhostF1.bmp", "BlueGhostF2.bmp"}), frightened},
      {"sweat on the red ghost", sweat, MeanOf({"ghost1_1.bmp"})},
      {"sweat on the pink ghost", sweat, MeanOf({"ghost2_1.bmp"})},
      {"sweat on the orange ghost", sweat, MeanOf({"ghost4_1.bmp"})},
  };
  for (const auto& pair : pairs) EXPECT_GE(ColorDistance(pair.front, pair.back), kApart) << pair.what;
}

// A menu icon read back as 8-bit RGBA, top row first; empty when it is
// missing or not size by size.
std::vector<std::uint8_t> ReadIcon(int size) {
  const std::string side = std::to_string(size);
  const std::string path =
      std::string(CHOMPO_ICON_DIR) + "/" + side + "x" + side + "/apps/" CHOMPO_APP_ID ".png";
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  const bool read = png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) != 0;
  const bool square = image.width == static_cast<png_uint_32>(size) && image.height == image.width;
  png_image_free(&image);
  return read && square ? rgba : std::vector<std::uint8_t>{};
}

// The menu icons show the player facing right: Mog2 mirrored, enlarged by
// the largest whole number that fits and centred on a clear square. At 16 px,
// where that is a 13 px smudge, a drawing of its own at least 15 px across
// takes its place. Every pixel is clear or opaque, never blended.
TEST(BuiltPictures, MenuIconsAreThePlayerEnlargedWholeAndCentred) {
  const Bmp& art = Get("Mog2.bmp");
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    const std::vector<std::uint8_t> rgba = ReadIcon(size);
    ASSERT_EQ(rgba.size(), static_cast<std::size_t>(size * size * 4)) << size << " px icon";
    const int scale = size / std::max(art.width, art.height);
    const int left = (size - art.width * scale) / 2;
    const int top = (size - art.height * scale) / 2;
    // Pixels as alpha and colour in one number, 0 for clear.
    const auto packed = [](const std::optional<Rgb>& color) -> std::uint32_t {
      return color ? 0xFF000000u | color->r << 16 | color->g << 8 | color->b : 0u;
    };
    int wrong = 0;
    int shownLeft = size, shownRight = -1, shownTop = size, shownBottom = -1;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
        const std::uint32_t got =
            pixel[3] == 0 ? 0u : std::uint32_t{pixel[3]} << 24 | pixel[0] << 16 | pixel[1] << 8 | pixel[2];
        if (got != 0) {
          shownLeft = std::min(shownLeft, x), shownRight = std::max(shownRight, x);
          shownTop = std::min(shownTop, y), shownBottom = std::max(shownBottom, y);
        }
        std::uint32_t expected = got;
        if (size != 16) {
          const int ax = art.width - 1 - (x - left) / scale, ay = (y - top) / scale;
          const bool inside = x >= left && y >= top && ax >= 0 && ay < art.height;
          expected = inside ? packed(art.pixels[static_cast<std::size_t>(ay) * art.width + ax]) : 0u;
        }
        if ((pixel[3] != 0 && pixel[3] != 255) || got != expected) {
          if (wrong++ == 0) ADD_FAILURE() << size << " px icon, first wrong pixel at " << x << "," << y;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << size << " px icon";
    if (size == 16) {
      EXPECT_TRUE(shownRight - shownLeft >= 14 && shownBottom - shownTop >= 14)
          << "the 16 px drawing spans only " << shownLeft << "," << shownTop << " to " << shownRight << ","
          << shownBottom;
    }
  }
}

// Through the game's own loader, in both 16-bit formats: every clear pixel
// becomes the surface's key, and no visible pixel does (a colour that merely
// converts to the key's 16-bit value would vanish).
class PicturesThroughSprite : public ::testing::Test, public ::testing::WithParamInterface<bool> {};

TEST_P(PicturesThroughSprite, LoadWithTheirSizeAndNoVisiblePixelTurnsIntoTheKey) {
  platform::HeadlessOptions options;
  options.use555 = GetParam();
  ASSERT_EQ(Pictures().pictures.size(), 67u);
  support::HeadlessEnv env(options);
  IDirectDraw* directDraw = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
  const std::uint16_t key = GetParam() ? 0x7E10 : 0xFC10;
  for (const auto& [name, bmp] : Pictures().pictures) {
    Sprite sprite;
    ASSERT_TRUE(sprite.LoadBmp(directDraw, DataFile(name).c_str())) << name;
    ASSERT_EQ(sprite.GetWidth(), bmp.width) << name;
    ASSERT_EQ(sprite.GetHeight(), bmp.height) << name;
    int shown = 0;
    for (int y = 0; y < bmp.height; ++y) {
      for (int x = 0; x < bmp.width; ++x) {
        const bool isKey = sprite.GetSurface()->PixelAt(x, y) == key;
        ASSERT_EQ(isKey, !bmp.Visible(x, y)) << name << " at " << x << "," << y;
        shown += !isKey;
      }
    }
    EXPECT_GT(shown, 0) << name << " shows nothing";
    sprite.Release();
  }
  directDraw->Release();
}

INSTANTIATE_TEST_SUITE_P(Formats, PicturesThroughSprite, ::testing::Values(false, true),
                         [](const auto& format) { return format.param ? "Format555" : "Format565"; });

// The picture tool run on the real sources plus one more file of our own.
TEST(PictureTool, RefusesBrokenSourcesNamingTheLineAndWritesNothing) {
  TempFolder dir;
  std::string command = ToolPath("pictures", "chompo_pictures") + " --out " + dir.File("out");
  for (const char* family : {"player", "dying", "ghosts", "eyes", "walls", "dots", "scenes"}) {
    command += " " + std::string(CHOMPO_SOURCE_DIR) + "/assets/pictures/" + family + ".pix";
  }
  const std::string head = "palette\n  . clear\n  R 255 0 0\npicture test.bmp\nsize 3 2\npixels\n";
  const struct {
    const char* what;
    std::string source;
    std::string message;
  } cases[] = {
      {"a colour that turns into the key", "palette\n  X 250 130 133\n", "extra.pix:2: colour 250 130 133"},
      {"a recolouring into the key", head + "  RRR\n  R.R\ncolour R 255 129 128\n",
       "extra.pix:9: colour 255 129"},
      {"a symbol with no colour", head + "  RRR\n  RQR\n", "extra.pix:8: test.bmp row 1 column 1: symbol"},
      {"a name drawn twice", "picture Mog1.bmp\nlike Mog2.bmp\n", "extra.pix:1: Mog1.bmp is drawn twice"},
  };
  for (const auto& c : cases) {
    WriteText(dir.File("extra.pix"), c.source);
    const ToolRun run = RunTool(command + " " + dir.File("extra.pix"));
    EXPECT_NE(run.status, 0) << c.what;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.what << ": got " << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")) && !std::filesystem::is_empty(dir.File("out")))
        << c.what;
  }
}

}  // namespace
}  // namespace datatest
