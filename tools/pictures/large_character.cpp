// The character at three times its size for the first cut-scene: the same
// round body, eye and lighting as the small frames, with room for a lip line
// and a glint in the eye.
#include "drawn.h"
#include "raster.h"

namespace pictures {

namespace {

constexpr int kSize = 39;
constexpr Rgb kBody{255, 224, 0};
constexpr Rgb kShade{222, 156, 0};
constexpr Rgb kLip{200, 124, 0};
constexpr Rgb kGleam{255, 248, 176};
constexpr Rgb kEye{64, 32, 0};
constexpr Rgb kGlint{255, 255, 255};

// mouthDegrees: half the opening of the mouth; 0 draws it shut.
Picture DrawFrame(double mouthDegrees) {
  const Point centre{19.5, 19.5};
  Mask body(kSize, kSize);
  body.Disc(centre, 19.6);

  Mask mouth(kSize, kSize);
  if (mouthDegrees > 0) {
    mouth.Wedge({20.5, 19.5}, 40, 180 - mouthDegrees, 180 + mouthDegrees);
  } else {
    mouth.Polygon({{-1, 18.6}, {15, 18.6}, {15, 20.4}, {-1, 20.4}});
  }
  body = body.Minus(mouth);

  Mask lit(kSize, kSize);
  lit.Disc({centre.x - 2.5, centre.y - 2.5}, 19.0);
  Mask gleam(kSize, kSize);
  gleam.Capsule({22, 5}, {28.5, 7.5}, 1.4);
  gleam.Disc({31.5, 10.5}, 1.2);
  Mask eye(kSize, kSize);
  eye.Ellipse({16.5, 9.5}, 2.1, 3.3);
  Mask glint(kSize, kSize);
  glint.Set(16, 7, true);

  Picture picture(kSize, kSize);
  Paint(picture, body, kBody);
  Paint(picture, body.Minus(lit), kShade);
  // A darker edge along the lips gives the open mouth some depth.
  Paint(picture, body.And(mouth.Grown(1)), kLip);
  Paint(picture, gleam.And(body), kGleam);
  Paint(picture, eye, kEye);
  Paint(picture, glint, kGlint);
  return picture;
}

}  // namespace

std::vector<NamedPicture> DrawLargeCharacter() {
  return {
      {"Mog_Large1.bmp", DrawFrame(44)}, {"Mog_Large2.bmp", DrawFrame(22)}, {"Mog_Large3.bmp", DrawFrame(0)}};
}

}  // namespace pictures
