#include "picture.h"

#include <cstddef>

#include "formats/pixel_format.h"
#include "tool_io.h"

namespace pictures {

bool ConvertsToKey(Rgb color) {
  for (const formats::PixelFormat* format : {&formats::kRgb565, &formats::kRgb555}) {
    if (formats::PackPixel(*format, color.r, color.g, color.b) ==
        formats::PackPixel(*format, kClearColor.r, kClearColor.g, kClearColor.b)) {
      return true;
    }
  }
  return false;
}

Picture::Picture(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

std::optional<Rgb> Picture::At(int x, int y) const {
  if (!Contains(x, y)) return std::nullopt;
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Picture::Set(int x, int y, Rgb color) {
  if (Contains(x, y)) pixels_[static_cast<std::size_t>(y) * width_ + x] = color;
}

void Picture::Stamp(const Picture& other, int x, int y) {
  for (int row = 0; row < other.height(); ++row) {
    for (int col = 0; col < other.width(); ++col) {
      if (auto color = other.At(col, row)) Set(x + col, y + row, *color);
    }
  }
}

std::string FindKeyClash(const Picture& picture) {
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      auto color = picture.At(x, y);
      if (color && ConvertsToKey(*color)) {
        return "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(color->r) + " " +
               std::to_string(color->g) + " " + std::to_string(color->b);
      }
    }
  }
  return {};
}

std::vector<std::uint8_t> EncodeBmp(const Picture& picture) {
  const auto width = static_cast<std::uint32_t>(picture.width());
  const auto height = static_cast<std::uint32_t>(picture.height());
  const std::uint32_t stride = formats::BmpStride(width);
  const std::uint32_t dataSize = stride * height;

  tool::Bytes out;
  out.reserve(formats::kBmpHeadersBytes + dataSize);
  tool::AppendU16(out, formats::kBmpSignature);
  tool::AppendU32(out, formats::kBmpHeadersBytes + dataSize);  // bfSize
  tool::AppendU32(out, 0);                                     // bfReserved1, bfReserved2
  tool::AppendU32(out, formats::kBmpHeadersBytes);             // bfOffBits
  tool::AppendU32(out, sizeof(formats::BitmapInfoHeader));     // biSize
  tool::AppendU32(out, width);
  tool::AppendU32(out, height);  // positive: bottom row first
  tool::AppendU16(out, 1);       // biPlanes
  tool::AppendU16(out, formats::kBmpBitsPerPixel);
  tool::AppendU32(out, formats::kBmpUncompressed);
  tool::AppendU32(out, dataSize);
  tool::AppendU32(out, 2835);  // 72 dots per inch, both ways
  tool::AppendU32(out, 2835);
  tool::AppendU32(out, 0);  // biClrUsed
  tool::AppendU32(out, 0);  // biClrImportant

  for (int y = picture.height() - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width(); ++x) {
      const Rgb color = picture.At(x, y).value_or(kClearColor);
      out.push_back(color.b);
      out.push_back(color.g);
      out.push_back(color.r);
    }
    for (std::uint32_t pad = 3 * width; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace pictures
