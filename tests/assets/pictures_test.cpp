// The pictures in the built data folder: present, in the one BMP form the
// game reads, sized for where they are drawn, free of colours that would
// vanish as the transparent key, and loadable through the game's own
// Sprite. Also the picture tool's refusals of broken sources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "sprite/sprite.h"
#include "support/headless_env.h"

namespace {

namespace fs = std::filesystem;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kKey{255, 128, 128};

bool ConvertsToKey(Rgb c) {
  const bool red = (c.r >> 3) == 31;
  const bool blue = (c.b >> 3) == 16;
  return red && blue && ((c.g >> 2) == 32 || (c.g >> 3) == 16);
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
  return value;
}

// A picture read back from its file, top row first; nullopt marks the key.
struct Bmp {
  int width = 0;
  int height = 0;
  std::vector<std::optional<Rgb>> pixels;
  std::optional<Rgb> At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool Visible(int x, int y) const { return At(x, y).has_value(); }
};

// Checks the header fields the game relies on, then decodes the pixels.
std::optional<Bmp> ReadBmp(const fs::path& path, std::string& why) {
  const auto bytes = ReadBytes(path);
  if (bytes.size() < 54) {
    why = "shorter than the headers";
    return std::nullopt;
  }
  Bmp bmp;
  bmp.width = static_cast<std::int32_t>(Le(bytes, 18, 4));
  bmp.height = static_cast<std::int32_t>(Le(bytes, 22, 4));
  const std::uint32_t stride = (3u * static_cast<std::uint32_t>(bmp.width) + 3u) & ~3u;
  const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(bmp.height);
  const struct {
    bool bad;
    const char* why;
  } checks[] = {
      {bytes[0] != 'B' || bytes[1] != 'M', "no BM signature"},
      {Le(bytes, 2, 4) != bytes.size(), "bfSize is not the file size"},
      {Le(bytes, 10, 4) != 54, "bfOffBits is not 54"},
      {Le(bytes, 14, 4) != 40, "biSize is not 40"},
      {Le(bytes, 26, 2) != 1, "biPlanes is not 1"},
      {Le(bytes, 28, 2) != 24, "not 24 bits per pixel"},
      {Le(bytes, 30, 4) != 0, "compressed"},
      {bmp.width < 1 || bmp.height < 1, "not a positive size, bottom row first"},
      {bytes.size() != 54 + pixelBytes, "pixel data of the wrong length"},
  };
  for (const auto& check : checks) {
    if (check.bad) {
      why = check.why;
      return std::nullopt;
    }
  }
  for (int y = 0; y < bmp.height; ++y) {
    const std::size_t row = 54 + stride * static_cast<std::size_t>(bmp.height - 1 - y);
    for (int x = 0; x < bmp.width; ++x) {
      const std::size_t at = row + 3 * static_cast<std::size_t>(x);
      const Rgb colour{bytes[at + 2], bytes[at + 1], bytes[at]};
      bmp.pixels.push_back(colour == kKey ? std::nullopt : std::optional<Rgb>(colour));
    }
  }
  return bmp;
}

std::string Numbered(const std::string& pattern, int n) {
  std::string name = pattern;
  return name.replace(name.find('#'), 1, std::to_string(n));
}

// Every picture the game loads, by the names it loads them with.
std::vector<std::string> ExpectedNames() {
  std::vector<std::string> names = {"Left_eye.bmp",   "Right_eye.bmp",  "Up_eye.bmp",      "Down_eye.bmp",
                                    "BlueGhost1.bmp", "BlueGhost2.bmp", "BlueGhostF1.bmp", "BlueGhostF2.bmp",
                                    "sDot.bmp",       "lDot.bmp",       "Title5.bmp",      "Checker.bmp",
                                    "Sweat1.bmp"};
  for (int i = 1; i <= 6; ++i) {
    for (const char* p : {"Mog#.bmp", "MogDead_#.bmp", "NudeGhost#.bmp", "MogMoon#.bmp"}) {
      names.push_back(Numbered(p, i));
    }
  }
  for (int i = 1; i <= 3; ++i) {
    names.push_back(Numbered("Mog_Large#.bmp", i));
    names.push_back(Numbered("slipGhost#.bmp", i));
  }
  for (int g = 1; g <= 4; ++g) {
    for (int f = 1; f <= 2; ++f) {
      names.push_back("ghost" + std::to_string(g) + "_" + std::to_string(f) + ".bmp");
    }
  }
  for (int i = 1; i <= 16; ++i) names.push_back(Numbered("wall#.bmp", i));
  return names;
}

class BuiltPictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const auto& name : ExpectedNames()) {
      std::string why;
      auto bmp = ReadBmp(fs::path(CHOMPO_DATA_DIR) / name, why);
      if (bmp) {
        loaded_->emplace(name, std::move(*bmp));
      } else {
        problems_->push_back(name + ": " + why);
      }
    }
  }

  static const Bmp& Get(const std::string& name) {
    auto found = loaded_->find(name);
    if (found == loaded_->end()) {
      static const Bmp empty{1, 1, {std::nullopt}};
      ADD_FAILURE() << name << " did not load";
      return empty;
    }
    return found->second;
  }

  static inline std::map<std::string, Bmp>* loaded_ = new std::map<std::string, Bmp>;
  static inline std::vector<std::string>* problems_ = new std::vector<std::string>;
};

TEST_F(BuiltPictures, EveryPictureExistsAsTheBmpTheGameReads) {
  for (const auto& problem : *problems_) ADD_FAILURE() << problem;
  EXPECT_EQ(loaded_->size(), 67u);
}

TEST_F(BuiltPictures, NoVisiblePixelTurnsIntoTheKey) {
  for (const auto& [name, bmp] : *loaded_) {
    int shown = 0;
    for (const auto& pixel : bmp.pixels) {
      if (!pixel) continue;
      ++shown;
      EXPECT_FALSE(ConvertsToKey(*pixel))
          << name << ": " << int(pixel->r) << " " << int(pixel->g) << " " << int(pixel->b);
    }
    EXPECT_GT(shown, 0) << name << " shows nothing";
  }
}

TEST_F(BuiltPictures, SizesFitWhereThePicturesAreDrawn) {
  for (const auto& [name, bmp] : *loaded_) {
    const bool cell =
        name.starts_with("Mog") && !name.starts_with("MogMoon") && !name.starts_with("Mog_Large");
    if (cell || name.starts_with("ghost") || name.starts_with("BlueGhost") || name.starts_with("wall") ||
        name.ends_with("Dot.bmp") || name.starts_with("slipGhost")) {
      EXPECT_EQ(bmp.width, 13) << name;
      EXPECT_EQ(bmp.height, 13) << name;
    }
    if (name.ends_with("_eye.bmp")) {
      // Drawn 2 pixels in from a 13 by 13 body's corner.
      EXPECT_LE(bmp.width + 2, 13) << name;
      EXPECT_LE(bmp.height + 2, 13) << name;
    }
    if (name.starts_with("Mog_Large")) {
      EXPECT_EQ(bmp.width, 39) << name;
      EXPECT_EQ(bmp.height, 39) << name;
    }
    if (name.starts_with("MogMoon")) {
      EXPECT_LE(220 + bmp.width, 320) << name;  // drawn at x 220 on the 320-wide canvas
      EXPECT_LE(60 + bmp.height, 240) << name;  // the last one comes down to y 60
    }
    if (name.starts_with("NudeGhost")) {
      EXPECT_EQ(bmp.height, 13) << name;
      EXPECT_GE(bmp.width, 13) << name;   // the eyes go over its left end
      EXPECT_LE(bmp.width, 100) << name;  // its right edge sits at x 100
    }
  }
  const Bmp& title = Get("Title5.bmp");
  EXPECT_LE(title.width, 320);
  EXPECT_LE(title.height, 140);
  const Bmp& peg = Get("Checker.bmp");
  EXPECT_LE(100 + peg.width, 320);
  EXPECT_LE(120 + peg.height, 240);
  const Bmp& sweat = Get("Sweat1.bmp");
  EXPECT_LE(8 + sweat.width, 13);  // on a 13 by 13 ghost, 8 in and 3 down
  EXPECT_LE(3 + sweat.height, 13);
}

// Bit values of the wall piece numbers: piece 1 + (up 1 | right 2 | down 4 | left 8).
enum Side { kUp = 1, kRight = 2, kDown = 4, kLeft = 8 };

std::vector<std::optional<Rgb>> Edge(const Bmp& bmp, Side side) {
  std::vector<std::optional<Rgb>> edge;
  for (int i = 0; i < 13; ++i) {
    switch (side) {
      case kUp:
        edge.push_back(bmp.At(i, 0));
        break;
      case kRight:
        edge.push_back(bmp.At(12, i));
        break;
      case kDown:
        edge.push_back(bmp.At(i, 12));
        break;
      case kLeft:
        edge.push_back(bmp.At(0, i));
        break;
    }
  }
  return edge;
}

TEST_F(BuiltPictures, WallPiecesJoinWhereTheirNeighboursAreWalls) {
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
      const auto edge = Edge(first, side);
      const bool touches = std::any_of(edge.begin(), edge.end(), [](const auto& p) { return p.has_value(); });
      EXPECT_EQ(touches, (a & side) != 0) << "wall" << a + 1 << " side " << side;
    }
    for (int b = 0; b < 16; ++b) {
      const Bmp& second = Get(Numbered("wall#.bmp", b + 1));
      for (const auto& join : facing) {
        if (!(a & join.out) || !(b & join.in)) continue;
        const auto from = Edge(first, join.out);
        const auto to = Edge(second, join.in);
        if ((a & join.across) == (b & join.across)) {
          EXPECT_EQ(from, to) << "wall" << a + 1 << " against wall" << b + 1;
        } else {
          EXPECT_TRUE(std::equal(from.begin() + 4, from.end() - 4, to.begin() + 4))
              << "wall" << a + 1 << " against wall" << b + 1;
        }
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

TEST_F(BuiltPictures, ThePlayerFacesLeftAndUpWithItsMouthOpeningAndClosing) {
  int previousGap = 99;
  for (int f = 1; f <= 3; ++f) {
    const Bmp& left = Get(Numbered("Mog#.bmp", f));
    const Bmp& up = Get(Numbered("Mog#.bmp", f + 3));
    // The mouth is a clear gap on the facing side, at the middle row or column.
    EXPECT_FALSE(left.Visible(0, 6)) << f;
    EXPECT_TRUE(left.Visible(12, 6)) << f;
    EXPECT_FALSE(up.Visible(6, 0)) << f;
    EXPECT_TRUE(up.Visible(6, 12)) << f;
    int gap = 0;
    for (int y = 0; y < 13; ++y) gap += left.Visible(2, y) ? 0 : 1;
    EXPECT_LT(gap, previousGap) << "frame " << f << " should be less open than the one before";
    previousGap = gap;
  }
}

TEST_F(BuiltPictures, GhostBodiesAreInTheirOwnColours) {
  const Rgb colours[4] = {{255, 0, 0}, {255, 184, 222}, {0, 255, 222}, {255, 184, 71}};
  for (int g = 0; g < 4; ++g) {
    for (int f = 1; f <= 2; ++f) {
      const std::string name = "ghost" + std::to_string(g + 1) + "_" + std::to_string(f) + ".bmp";
      const Bmp& body = Get(name);
      std::map<std::uint32_t, int> counts;
      for (const auto& p : body.pixels) {
        if (p) ++counts[(std::uint32_t(p->r) << 16) | (p->g << 8) | p->b];
      }
      const auto most = std::max_element(counts.begin(), counts.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
      ASSERT_NE(most, counts.end()) << name;
      const std::uint32_t want = (std::uint32_t(colours[g].r) << 16) | (colours[g].g << 8) | colours[g].b;
      EXPECT_EQ(most->first, want) << name;
    }
  }
  // The two frames differ, so the hem moves.
  EXPECT_NE(Get("ghost1_1.bmp").pixels, Get("ghost1_2.bmp").pixels);
  EXPECT_NE(Get("BlueGhost1.bmp").pixels, Get("BlueGhostF1.bmp").pixels);
}

TEST_F(BuiltPictures, TheStretchedSheetReachesThePeg) {
  int previousWidth = 0;
  for (int i = 1; i <= 5; ++i) {
    const Bmp& sheet = Get(Numbered("NudeGhost#.bmp", i));
    EXPECT_GT(sheet.width, previousWidth) << "NudeGhost" << i << " should stretch further";
    previousWidth = sheet.width;
    bool reaches = false;
    for (int y = 0; y < 13; ++y) reaches = reaches || sheet.Visible(sheet.width - 1, y);
    EXPECT_TRUE(reaches) << "NudeGhost" << i;
  }
}

// The pictures through the game's own loader, in both 16-bit formats: every
// clear pixel becomes the surface's key and no visible pixel does.
class PicturesThroughSprite : public BuiltPictures, public ::testing::WithParamInterface<bool> {};

TEST_P(PicturesThroughSprite, LoadWithTheirSizeAndColours) {
  platform::HeadlessOptions options;
  options.use555 = GetParam();
  ASSERT_EQ(loaded_->size(), 67u);
  testsupport::HeadlessEnv env(options);
  IDirectDraw* directDraw = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
  const std::uint16_t key = GetParam() ? 0x7E10 : 0xFC10;
  for (const auto& [name, bmp] : *loaded_) {
    Sprite sprite;
    const std::string path = (fs::path(CHOMPO_DATA_DIR) / name).string();
    ASSERT_TRUE(sprite.LoadBmp(directDraw, path.c_str())) << name;
    ASSERT_EQ(sprite.GetWidth(), bmp.width) << name;
    ASSERT_EQ(sprite.GetHeight(), bmp.height) << name;
    for (int y = 0; y < bmp.height; ++y) {
      for (int x = 0; x < bmp.width; ++x) {
        const bool isKey = sprite.GetSurface()->PixelAt(x, y) == key;
        ASSERT_EQ(isKey, !bmp.Visible(x, y)) << name << " at " << x << "," << y;
      }
    }
    sprite.Release();
  }
  directDraw->Release();
}

INSTANTIATE_TEST_SUITE_P(Formats, PicturesThroughSprite, ::testing::Values(false, true),
                         [](const auto& format) { return format.param ? "Format555" : "Format565"; });

// The picture tool run on the real sources plus one more file of our own.
class PictureTool : public ::testing::Test {
 protected:
  PictureTool() {
    std::string pattern = (fs::temp_directory_path() / "chompo-pictures-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  ~PictureTool() override {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }

  // Exit status of the tool; its messages land in output_.
  int Run(const std::string& extra, const std::string& options = "") {
    const fs::path sourceDir = fs::path(CHOMPO_SOURCE_DIR) / "assets/pictures";
    std::string command = std::string(CHOMPO_BINARY_DIR) + "/tools/pictures/chompo_pictures --out " +
                          (dir_ / "out").string() + " " + options;
    for (const char* family : {"player", "dying", "ghosts", "eyes", "walls", "dots", "scenes"}) {
      command += " " + (sourceDir / (std::string(family) + ".pix")).string();
    }
    if (!extra.empty()) {
      std::ofstream(dir_ / "extra.pix") << extra;
      command += " " + (dir_ / "extra.pix").string();
    }
    const fs::path log = dir_ / "log.txt";
    const int status = std::system((command + " >" + log.string() + " 2>&1").c_str());
    std::ifstream in(log);
    output_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return status;
  }

  bool WroteAnything() const { return fs::exists(dir_ / "out") && !fs::is_empty(dir_ / "out"); }

  fs::path dir_;
  std::string output_;
};

TEST_F(PictureTool, WritesATextPictureAsABottomUpPaddedBmp) {
  const std::string extra =
      "palette\n  . clear\n  R 255 0 0\n  G 0 255 0\n"
      "picture test.bmp\nsize 5 2\npixels\n  R...G\n  .GGG.\n";
  ASSERT_EQ(Run(extra), 0) << output_;
  const auto bytes = ReadBytes(dir_ / "out/test.bmp");
  ASSERT_EQ(bytes.size(), 54u + 2 * 16);  // rows of 15 bytes padded to 16
  const std::vector<std::uint8_t> bottom = {0x80, 0x80, 0xFF, 0, 0xFF, 0,    0,    0xFF,
                                            0,    0,    0xFF, 0, 0x80, 0x80, 0xFF, 0};
  const std::vector<std::uint8_t> top = {0,    0,    0xFF, 0x80, 0x80, 0xFF, 0x80, 0x80,
                                         0xFF, 0x80, 0x80, 0xFF, 0,    0xFF, 0,    0};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.begin() + 70), bottom);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 70, bytes.end()), top);
}

TEST_F(PictureTool, RefusesBrokenSourcesNamingTheLineAndWritesNothing) {
  struct Case {
    const char* what;
    std::string source;
    std::string message;
  };
  const std::string head = "palette\n  . clear\n  R 255 0 0\npicture test.bmp\nsize 3 2\npixels\n";
  const Case cases[] = {
      {"a colour that turns into the key", "palette\n  X 250 130 133\n", "extra.pix:2: colour 250 130 133"},
      {"a recolouring into the key", head + "  RRR\n  R.R\ncolour R 255 129 128\n",
       "extra.pix:9: colour 255 129"},
      {"a symbol with no colour", head + "  RRR\n  RQR\n",
       "extra.pix:8: test.bmp row 1 column 1: symbol 'Q'"},
      {"a ragged row", head + "  RRR\n  RR\n", "extra.pix:8: test.bmp row 1 is 2 wide, its size says 3"},
      {"too few rows", head + "  RRR\n", "extra.pix:4: test.bmp has 1 rows, its size says 2"},
      {"like an unknown picture", "picture test.bmp\nlike nothing.bmp\n",
       "extra.pix:1: test.bmp is like nothing.bmp"},
      {"a name drawn twice", "picture Mog1.bmp\nlike Mog2.bmp\n", "extra.pix:1: Mog1.bmp is drawn twice"},
      {"a name that is no bmp", "picture test.png\n",
       "extra.pix:1: \"picture\" takes one file name ending in .bmp"},
      {"an unknown keyword", "picture test.bmp\nlike Mog1.bmp\nrotate 90\n",
       "extra.pix:3: unknown keyword \"rotate\""},
  };
  for (const auto& c : cases) {
    EXPECT_NE(Run(c.source), 0) << c.what;
    EXPECT_NE(output_.find(c.message), std::string::npos) << c.what << ": got " << output_;
    EXPECT_FALSE(WroteAnything()) << c.what;
  }
}

TEST_F(PictureTool, ItsPicturesMustMatchTheBuildsList) {
  std::string names;
  for (const auto& name : ExpectedNames()) names += name + ",";
  EXPECT_EQ(Run("", "--expect " + names), 0) << output_;
  fs::remove_all(dir_ / "out");

  EXPECT_NE(Run("", "--expect " + names + "Extra.bmp"), 0);
  EXPECT_NE(output_.find("Extra.bmp: expected but no source makes it"), std::string::npos) << output_;
  EXPECT_NE(Run("palette\n  X 9 9 9\npicture more.bmp\nsize 1 1\npixels\n  X\n", "--expect " + names), 0);
  EXPECT_NE(output_.find("more.bmp: made but not in the expected list"), std::string::npos) << output_;
  EXPECT_FALSE(WroteAnything());
}

}  // namespace
