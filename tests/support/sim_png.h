// Reads back the PNG files chompo-sim writes, 8-bit RGB, with libpng, which
// checks their chunk sums and compressed data on the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, rows top to bottom

  struct Pixel {
    int r, g, b;
  };
  // Pixels in [x0, x1) x [y0, y1) for which the test holds.
  template <typename Test>
  int Count(int x0, int y0, int x1, int y1, Test test) const {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3;
        count += test(Pixel{rgb.at(at), rgb.at(at + 1), rgb.at(at + 2)}) ? 1 : 0;
      }
    }
    return count;
  }
};

// Empty when the bytes are such a PNG, else what is wrong with them.
std::string DecodePng(const std::vector<std::uint8_t>& bytes, RgbImage& image);

}  // namespace testsupport
