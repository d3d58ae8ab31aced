// The moon over the ghost crowd in the last cut-scene. It sleeps, wakes,
// looks down, warms to the character's own yellow and grins, opens its mouth,
// and in the sixth picture comes down on the crowd with its mouth wide open.
// The disc is 70 pixels; the first picture is wider for the sleeper's z's.
#include "drawn.h"
#include "raster.h"

namespace pictures {

namespace {

constexpr int kDisc = 70;
constexpr Point kCentre{35, 35};
constexpr Point kEye{24, 22};
constexpr Point kMouthCorner{37, 37};

struct MoonColors {
  Rgb body;
  Rgb shade;
  Rgb crater;
  Rgb craterShadow;
  Rgb craterLight;
};

constexpr MoonColors kPale{
    {240, 232, 200}, {204, 192, 152}, {222, 212, 172}, {192, 180, 136}, {252, 248, 228}};
constexpr MoonColors kWarm{{252, 236, 140}, {224, 196, 88}, {236, 216, 112}, {208, 180, 64}, {255, 248, 196}};
constexpr MoonColors kGold{{255, 224, 0}, {222, 156, 0}, {240, 196, 0}, {208, 140, 0}, {255, 240, 120}};

constexpr Rgb kInk{64, 32, 0};
constexpr Rgb kEyeWhite{255, 255, 255};
constexpr Rgb kLip{200, 124, 0};
constexpr Rgb kTongue{232, 56, 72};
constexpr Rgb kTongueDark{168, 24, 48};
constexpr Rgb kDrool{176, 224, 255};
constexpr Rgb kSleepZ{176, 200, 255};

enum class Eye { Shut, Half, Open, Hungry, Fierce };
enum class Mouth { None, Grin, Ajar, Wide };

struct Face {
  const MoonColors* colors;
  Eye eye;
  Mouth mouth;
  bool sleeping;
};

void DrawCraters(Picture& picture, const Mask& body, const MoonColors& colors) {
  struct Crater {
    Point at;
    double radius;
  };
  // Kept clear of the eye and the mouth.
  const Crater craters[] = {{{48, 12}, 5.5}, {{58, 30}, 4.5}, {{46, 54}, 6.5}, {{20, 56}, 3.5},
                            {{60, 50}, 3},   {{33, 8}, 2.5},  {{8, 34}, 2}};
  for (const auto& crater : craters) {
    Mask floor(picture.width(), picture.height());
    floor.Disc(crater.at, crater.radius);
    floor = floor.And(body);
    Mask upperLeft(picture.width(), picture.height());
    upperLeft.Disc({crater.at.x + 1.2, crater.at.y + 1.2}, crater.radius);
    Mask lowerRight(picture.width(), picture.height());
    lowerRight.Disc({crater.at.x - 1.2, crater.at.y - 1.2}, crater.radius);
    Paint(picture, floor, colors.crater);
    Paint(picture, floor.Minus(upperLeft), colors.craterShadow);
    Paint(picture, floor.Minus(lowerRight), colors.craterLight);
  }
}

void DrawEye(Picture& picture, Eye eye) {
  const int w = picture.width();
  const int h = picture.height();
  const double rx = 5;
  const double ry = 6.5;
  Mask ink(w, h);
  Mask white(w, h);
  Mask pupil(w, h);
  if (eye == Eye::Shut) {
    ink.Ring({kEye.x, kEye.y - 1}, 6, 5, 4.4, 3.4, 195, 345);
    ink.Capsule({kEye.x - 5.5, kEye.y + 2}, {kEye.x - 7, kEye.y + 4}, 0.6);
  } else {
    white.Ellipse(kEye, rx, ry);
    const double size = eye == Eye::Fierce ? 2.2 : 2.9;
    pupil.Ellipse({kEye.x - 1.5, kEye.y + 2}, size, size + 0.8);
    // A lid line across the eye: half shut when sleepy, slanting down to the
    // front when it means business.
    double lidBack = 0;
    double lidFront = 0;
    bool lid = true;
    if (eye == Eye::Half) {
      lidBack = lidFront = kEye.y;
    } else if (eye == Eye::Fierce) {
      lidBack = kEye.y - 5.5;
      lidFront = kEye.y - 1.5;
    } else {
      lid = false;
    }
    if (lid) {
      white.Polygon(
          {{kEye.x - 8, lidFront}, {kEye.x + 8, lidBack}, {kEye.x + 8, kEye.y - 9}, {kEye.x - 8, kEye.y - 9}},
          false);
      ink.Capsule({kEye.x - rx - 0.5, lidFront}, {kEye.x + rx + 0.5, lidBack}, 0.9);
    }
    pupil = pupil.And(white);
    if (eye == Eye::Hungry || eye == Eye::Fierce) {
      const double back = eye == Eye::Fierce ? kEye.y - 12.5 : kEye.y - 11;
      ink.Capsule({kEye.x - 6, kEye.y - 8.5}, {kEye.x + 6, back}, 1.1);
    }
  }
  Paint(picture, white, kEyeWhite);
  Paint(picture, pupil, kInk);
  Paint(picture, ink, kInk);
  if (eye == Eye::Open || eye == Eye::Hungry) {
    picture.Set(static_cast<int>(kEye.x), static_cast<int>(kEye.y), kEyeWhite);
    picture.Set(static_cast<int>(kEye.x) - 1, static_cast<int>(kEye.y), kEyeWhite);
  }
}

void DrawSleepZ(Picture& picture, Point at, double size) {
  Mask z(picture.width(), picture.height());
  const double width = 0.55 + size / 14;
  z.Capsule(at, {at.x + size, at.y}, width);
  z.Capsule({at.x + size, at.y}, {at.x, at.y + size}, width);
  z.Capsule({at.x, at.y + size}, {at.x + size, at.y + size}, width);
  Paint(picture, z, kSleepZ);
}

Picture DrawMoon(const Face& face) {
  const int width = face.sleeping ? 90 : kDisc;
  Picture picture(width, kDisc);
  Mask body(width, kDisc);
  body.Disc(kCentre, 34.6);

  Mask mouth(width, kDisc);
  if (face.mouth == Mouth::Wide) mouth.Wedge(kMouthCorner, 60, 142, 218);
  if (face.mouth == Mouth::Ajar) mouth.Wedge(kMouthCorner, 60, 168, 192);
  body = body.Minus(mouth);

  Mask lit(width, kDisc);
  lit.Disc({kCentre.x - 4, kCentre.y - 4}, 34);
  Paint(picture, body, face.colors->body);
  Paint(picture, body.Minus(lit), face.colors->shade);
  DrawCraters(picture, body, *face.colors);

  if (face.mouth == Mouth::Grin) {
    // Shut, with the corner curling up: the character's own mouth line.
    Mask line(width, kDisc);
    line.Capsule({-1, kMouthCorner.y}, {kMouthCorner.x - 6, kMouthCorner.y}, 1.0);
    line.Capsule({kMouthCorner.x - 6, kMouthCorner.y}, {kMouthCorner.x - 2.5, kMouthCorner.y - 3.5}, 1.0);
    Paint(picture, line.And(body), kInk);
    Mask drool(width, kDisc);
    drool.Ellipse({4.5, kMouthCorner.y + 4}, 1.3, 2.2);
    Paint(picture, drool, kDrool);
  }
  if (face.mouth == Mouth::Ajar || face.mouth == Mouth::Wide) {
    Paint(picture, body.And(mouth.Grown(1)), kLip);
  }
  if (face.mouth == Mouth::Ajar) {
    // The tongue pokes out over the lower lip.
    Mask tongue(width, kDisc);
    tongue.Ellipse({9, kMouthCorner.y + 3.5}, 7, 2.6);
    Paint(picture, tongue, kTongue);
    Mask tongueLine(width, kDisc);
    tongueLine.Capsule({5, kMouthCorner.y + 3.5}, {12, kMouthCorner.y + 3.5}, 0.5);
    Paint(picture, tongueLine.And(tongue), kTongueDark);
  }
  DrawEye(picture, face.eye);
  if (face.sleeping) {
    DrawSleepZ(picture, {68, 22}, 4);
    DrawSleepZ(picture, {74, 12}, 5);
    DrawSleepZ(picture, {81, 1}, 6);
  }
  return picture;
}

}  // namespace

std::vector<NamedPicture> DrawMoons() {
  const Face faces[6] = {
      {&kPale, Eye::Shut, Mouth::None, true},    {&kPale, Eye::Half, Mouth::None, false},
      {&kWarm, Eye::Open, Mouth::None, false},   {&kGold, Eye::Hungry, Mouth::Grin, false},
      {&kGold, Eye::Hungry, Mouth::Ajar, false}, {&kGold, Eye::Fierce, Mouth::Wide, false},
  };
  std::vector<NamedPicture> moons;
  for (int i = 0; i < 6; ++i) {
    moons.push_back({"MogMoon" + std::to_string(i + 1) + ".bmp", DrawMoon(faces[i])});
  }
  return moons;
}

}  // namespace pictures
