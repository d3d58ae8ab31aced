#include "picture.h"

#include <cstddef>

namespace pictures {

bool ConvertsToKey(Rgb colour) {
  const bool redMatches = (colour.r >> 3) == (kClearColour.r >> 3);
  const bool blueMatches = (colour.b >> 3) == (kClearColour.b >> 3);
  const bool green565 = (colour.g >> 2) == (kClearColour.g >> 2);
  const bool green555 = (colour.g >> 3) == (kClearColour.g >> 3);
  return redMatches && blueMatches && (green565 || green555);
}

Picture::Picture(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

std::optional<Rgb> Picture::At(int x, int y) const {
  if (!Contains(x, y)) return std::nullopt;
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Picture::Set(int x, int y, Rgb colour) {
  if (Contains(x, y)) pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

void Picture::Stamp(const Picture& other, int x, int y) {
  for (int row = 0; row < other.height(); ++row) {
    for (int col = 0; col < other.width(); ++col) {
      if (auto colour = other.At(col, row)) Set(x + col, y + row, *colour);
    }
  }
}

std::string FindKeyClash(const Picture& picture) {
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      auto colour = picture.At(x, y);
      if (colour && ConvertsToKey(*colour)) {
        return "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(colour->r) +
               " " + std::to_string(colour->g) + " " + std::to_string(colour->b);
      }
    }
  }
  return {};
}

namespace {

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const Picture& picture) {
  const auto width = static_cast<std::uint32_t>(picture.width());
  const auto height = static_cast<std::uint32_t>(picture.height());
  const std::uint32_t stride = (3 * width + 3) & ~3u;
  const std::uint32_t dataSize = stride * height;

  std::vector<std::uint8_t> out;
  out.reserve(54 + dataSize);
  out.push_back('B');
  out.push_back('M');
  PutLe(out, 54 + dataSize, 4);  // bfSize
  PutLe(out, 0, 4);              // bfReserved1, bfReserved2
  PutLe(out, 54, 4);             // bfOffBits
  PutLe(out, 40, 4);             // biSize
  PutLe(out, width, 4);
  PutLe(out, height, 4);  // positive: bottom row first
  PutLe(out, 1, 2);       // biPlanes
  PutLe(out, 24, 2);      // biBitCount
  PutLe(out, 0, 4);       // biCompression: none
  PutLe(out, dataSize, 4);
  PutLe(out, 2835, 4);  // 72 dots per inch, both ways
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);  // biClrUsed
  PutLe(out, 0, 4);  // biClrImportant

  for (int y = picture.height() - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width(); ++x) {
      const Rgb colour = picture.At(x, y).value_or(kClearColour);
      out.push_back(colour.b);
      out.push_back(colour.g);
      out.push_back(colour.r);
    }
    for (std::uint32_t pad = 3 * width; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace pictures
