// Reads back the PNG files chompo-sim writes (8-bit RGB, stored deflate
// blocks), checking every CRC and the Adler sum on the way. Written apart
// from the runner's encoder so that the two check each other.
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
    int r;
    int g;
    int b;
  };
  Pixel At(int x, int y) const;
  // Pixels in [x0, x1) x [y0, y1) for which the test holds.
  template <typename Test>
  int Count(int x0, int y0, int x1, int y1, Test test) const {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        count += test(At(x, y)) ? 1 : 0;
      }
    }
    return count;
  }
};

// False with a reason in error when the bytes are not such a PNG.
bool DecodeStoredPng(const std::vector<std::uint8_t>& bytes, RgbImage& image, std::string& error);
bool ReadStoredPng(const std::string& path, RgbImage& image, std::string& error);

}  // namespace testsupport
