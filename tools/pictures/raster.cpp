#include "raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pictures {

namespace {

double AngleOf(double dx, double dy) {
  double degrees = std::atan2(-dy, dx) * 180.0 / std::numbers::pi;
  return degrees < 0 ? degrees + 360.0 : degrees;
}

// Ranges may wrap past 360, e.g. 300 to 60; one of 360 or more is a full turn.
bool AngleWithin(double degrees, double from, double to) {
  if (to - from >= 360.0) return true;
  from = std::fmod(from + 720.0, 360.0);
  to = std::fmod(to + 720.0, 360.0);
  if (from <= to) return degrees >= from && degrees <= to;
  return degrees >= from || degrees <= to;
}

double SegmentDistance(Point p, Point a, Point b) {
  const double vx = b.x - a.x;
  const double vy = b.y - a.y;
  const double lengthSquared = vx * vx + vy * vy;
  double t = lengthSquared > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / lengthSquared : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

}  // namespace

Mask::Mask(int width, int height)
    : width_(width), height_(height), bits_(static_cast<std::size_t>(width) * height, 0) {}

bool Mask::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return bits_[static_cast<std::size_t>(y) * width_ + x] != 0;
}

void Mask::Set(int x, int y, bool on) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  bits_[static_cast<std::size_t>(y) * width_ + x] = on ? 1 : 0;
}

template <class Inside>
void Mask::Fill(Inside inside, bool on) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (inside(Point{x + 0.5, y + 0.5})) Set(x, y, on);
    }
  }
}

void Mask::Disc(Point centre, double radius, bool on) { Ellipse(centre, radius, radius, on); }

void Mask::Ellipse(Point centre, double radiusX, double radiusY, bool on) {
  Fill(
      [&](Point p) {
        const double dx = (p.x - centre.x) / radiusX;
        const double dy = (p.y - centre.y) / radiusY;
        return dx * dx + dy * dy <= 1.0;
      },
      on);
}

void Mask::Capsule(Point from, Point to, double radius, bool on) {
  Fill([&](Point p) { return SegmentDistance(p, from, to) <= radius; }, on);
}

void Mask::Polygon(const std::vector<Point>& corners, bool on) {
  Fill(
      [&](Point p) {
        bool inside = false;
        for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
          const Point a = corners[i];
          const Point b = corners[j];
          if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
          }
        }
        return inside;
      },
      on);
}

void Mask::Wedge(Point centre, double radius, double fromDegrees, double toDegrees, bool on) {
  Fill(
      [&](Point p) {
        const double dx = p.x - centre.x;
        const double dy = p.y - centre.y;
        return std::hypot(dx, dy) <= radius && AngleWithin(AngleOf(dx, dy), fromDegrees, toDegrees);
      },
      on);
}

void Mask::Ring(Point centre, double outerX, double outerY, double innerX, double innerY, double fromDegrees,
                double toDegrees, bool on) {
  Fill(
      [&](Point p) {
        const double dx = p.x - centre.x;
        const double dy = p.y - centre.y;
        const double outer = (dx * dx) / (outerX * outerX) + (dy * dy) / (outerY * outerY);
        const double inner = (dx * dx) / (innerX * innerX) + (dy * dy) / (innerY * innerY);
        return outer <= 1.0 && inner > 1.0 && AngleWithin(AngleOf(dx, dy), fromDegrees, toDegrees);
      },
      on);
}

Mask Mask::Grown(int by) const {
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      bool near = false;
      for (int dy = -by; dy <= by && !near; ++dy) {
        for (int dx = -by; dx <= by && !near; ++dx) {
          // Square corners look blocky at outline widths of 2 and more.
          if (dx * dx + dy * dy <= by * by + by / 2 && Get(x + dx, y + dy)) near = true;
        }
      }
      out.Set(x, y, near);
    }
  }
  return out;
}

Mask Mask::Shifted(int dx, int dy) const {
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (Get(x, y)) out.Set(x + dx, y + dy, true);
    }
  }
  return out;
}

Mask Mask::Or(const Mask& other) const {
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) out.Set(x, y, Get(x, y) || other.Get(x, y));
  }
  return out;
}

Mask Mask::Minus(const Mask& other) const {
  Mask out = *this;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (other.Get(x, y)) out.Set(x, y, false);
    }
  }
  return out;
}

Mask Mask::And(const Mask& other) const {
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) out.Set(x, y, Get(x, y) && other.Get(x, y));
  }
  return out;
}

void Paint(Picture& picture, const Mask& mask, Rgb color) {
  for (int y = 0; y < mask.height(); ++y) {
    for (int x = 0; x < mask.width(); ++x) {
      if (mask.Get(x, y)) picture.Set(x, y, color);
    }
  }
}

}  // namespace pictures
