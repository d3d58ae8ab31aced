// Shapes for the pictures drawn in code. Each pixel is tested at its centre
// (x + 0.5, y + 0.5), so edges stay crisp with no blended colours.
#pragma once

#include <cstdint>
#include <vector>

#include "picture.h"

namespace pictures {

struct Point {
  double x = 0;
  double y = 0;
};

// Which pixels a shape covers.
class Mask {
 public:
  Mask(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool Get(int x, int y) const;
  void Set(int x, int y, bool on);

  // Angles in degrees, counter-clockwise from the right, as on a clock face
  // seen normally (y grows downwards on the picture).
  void Disc(Point centre, double radius, bool on = true);
  void Ellipse(Point centre, double radiusX, double radiusY, bool on = true);
  void Capsule(Point from, Point to, double radius, bool on = true);
  void Polygon(const std::vector<Point>& corners, bool on = true);
  void Wedge(Point centre, double radius, double fromDegrees, double toDegrees, bool on = true);
  // An elliptical band between the two ellipses, limited to an angle range.
  void Ring(Point centre, double outerX, double outerY, double innerX, double innerY, double fromDegrees,
            double toDegrees, bool on = true);

  Mask Grown(int by) const;  // every pixel within `by` (round corners)
  Mask Shifted(int dx, int dy) const;
  Mask Or(const Mask& other) const;
  Mask Minus(const Mask& other) const;
  Mask And(const Mask& other) const;

 private:
  template <class Inside>
  void Fill(Inside inside, bool on);

  int width_;
  int height_;
  std::vector<std::uint8_t> bits_;
};

void Paint(Picture& picture, const Mask& mask, Rgb color);

}  // namespace pictures
