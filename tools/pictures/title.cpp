// The title: the name in round, thick letters of our own, lit from above
// with a dark rim and a deep blue extrusion, and under it a little chase
// made of the game's own pictures at twice their size.
#include <algorithm>
#include <functional>

#include "drawn.h"
#include "raster.h"

namespace pictures {

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 112;
constexpr int kLetterTop = 6;
constexpr int kLetterHeight = 52;
constexpr double kStroke = 6.2;  // half the thickness of a stroke
constexpr int kGap = 6;

constexpr Rgb kRim{168, 24, 0};
constexpr Rgb kDepth{40, 48, 184};
constexpr Rgb kDepthEdge{16, 16, 96};
constexpr Rgb kShine{255, 255, 232};
// Top to bottom, warm yellow into orange.
constexpr Rgb kBands[] = {{255, 244, 150}, {255, 226, 24}, {255, 204, 0}, {255, 176, 0}, {255, 144, 0}};

// One letter, drawn into a mask with its box's top-left at (left, top).
struct Letter {
  int width;
  std::function<void(Mask&, double left, double top)> draw;
};

Letter LetterC() {
  return {38, [](Mask& m, double x, double y) {
            const Point c{x + 19, y + 26};
            m.Ring(c, 19, 26, 7, 14, 42, 318);
            m.Disc({c.x + 13 * 0.743, c.y - 20 * 0.669}, kStroke);
            m.Disc({c.x + 13 * 0.743, c.y + 20 * 0.669}, kStroke);
          }};
}

Letter LetterH() {
  return {38, [](Mask& m, double x, double y) {
            m.Capsule({x + kStroke, y + kStroke}, {x + kStroke, y + 52 - kStroke}, kStroke);
            m.Capsule({x + 38 - kStroke, y + kStroke}, {x + 38 - kStroke, y + 52 - kStroke}, kStroke);
            m.Capsule({x + kStroke, y + 27}, {x + 38 - kStroke, y + 27}, kStroke);
          }};
}

Letter LetterO() {
  return {42, [](Mask& m, double x, double y) { m.Ring({x + 21, y + 26}, 21, 26, 9, 14, 0, 360); }};
}

Letter LetterM() {
  return {48, [](Mask& m, double x, double y) {
            const double left = x + kStroke;
            const double right = x + 48 - kStroke;
            m.Capsule({left, y + kStroke}, {left, y + 52 - kStroke}, kStroke);
            m.Capsule({right, y + kStroke}, {right, y + 52 - kStroke}, kStroke);
            m.Capsule({left, y + kStroke}, {x + 24, y + 30}, kStroke);
            m.Capsule({right, y + kStroke}, {x + 24, y + 30}, kStroke);
          }};
}

Letter LetterP() {
  return {38, [](Mask& m, double x, double y) {
            const double stem = x + kStroke;
            m.Capsule({stem, y + kStroke}, {stem, y + 52 - kStroke}, kStroke);
            m.Capsule({stem, y + kStroke}, {x + 20, y + kStroke}, kStroke);
            m.Capsule({stem, y + 30 - kStroke}, {x + 20, y + 30 - kStroke}, kStroke);
            m.Ring({x + 20, y + 15}, 18, 15, 6, 3, 270, 90);
          }};
}

Mask DrawName() {
  const Letter letters[] = {LetterC(), LetterH(), LetterO(), LetterM(), LetterP(), LetterO()};
  int total = -kGap;
  for (const auto& letter : letters) total += letter.width + kGap;
  Mask name(kWidth, kHeight);
  double x = (kWidth - total) / 2 - 2;  // the extrusion sticks out to the right
  for (const auto& letter : letters) {
    letter.draw(name, x, kLetterTop);
    x += letter.width + kGap;
  }
  return name;
}

void DrawLogo(Picture& picture) {
  const Mask name = DrawName();
  const Mask rimmed = name.Grown(2);
  Mask depth(kWidth, kHeight);
  for (int step = 1; step <= 5; ++step) depth = depth.Or(rimmed.Shifted(step, step));
  Paint(picture, depth.Grown(1), kDepthEdge);
  Paint(picture, depth, kDepth);
  Paint(picture, rimmed, kRim);
  for (int y = 0; y < kHeight; ++y) {
    const int band = std::clamp((y - kLetterTop) * 5 / kLetterHeight, 0, 4);
    for (int x = 0; x < kWidth; ++x) {
      if (name.Get(x, y)) picture.Set(x, y, kBands[band]);
    }
  }
  // A shine along the top edge of the strokes in the upper half: pixels with
  // no letter above them and more letter below.
  const Mask topEdge = name.Minus(name.Shifted(0, 1));
  for (int y = 0; y < kLetterTop + kLetterHeight / 2; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (topEdge.Get(x, y) && name.Get(x, y + 1)) picture.Set(x, y, kShine);
    }
  }
}

Picture Doubled(const Picture& small) {
  Picture big(small.width() * 2, small.height() * 2);
  for (int y = 0; y < big.height(); ++y) {
    for (int x = 0; x < big.width(); ++x) {
      if (auto color = small.At(x / 2, y / 2)) big.Set(x, y, *color);
    }
  }
  return big;
}

}  // namespace

std::vector<NamedPicture> DrawTitle(const TextSources& small, std::string& missing) {
  const char* needed[] = {"Mog1.bmp",     "ghost1_1.bmp", "ghost2_2.bmp", "ghost3_1.bmp",
                          "ghost4_2.bmp", "Left_eye.bmp", "sDot.bmp",     "lDot.bmp"};
  for (const char* name : needed) {
    if (small.Find(name) == nullptr) {
      missing = name;
      return {};
    }
  }
  Picture picture(kWidth, kHeight);
  DrawLogo(picture);

  // The chase: dots to eat on the left, the character, then the ghosts.
  const int row = kHeight - 26;
  picture.Stamp(Doubled(*small.Find("lDot.bmp")), 14, row);
  for (int x = 40; x < 110; x += 18) picture.Stamp(Doubled(*small.Find("sDot.bmp")), x, row);
  picture.Stamp(Doubled(*small.Find("Mog1.bmp")), 118, row);
  const char* ghosts[] = {"ghost1_1.bmp", "ghost2_2.bmp", "ghost3_1.bmp", "ghost4_2.bmp"};
  const Picture eyes = Doubled(*small.Find("Left_eye.bmp"));
  for (int i = 0; i < 4; ++i) {
    const int x = 170 + 30 * i;
    picture.Stamp(Doubled(*small.Find(ghosts[i])), x, row);
    picture.Stamp(eyes, x + 4, row + 4);
  }
  return {{"Title5.bmp", std::move(picture)}};
}

}  // namespace pictures
