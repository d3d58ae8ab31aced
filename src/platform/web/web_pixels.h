// The game's 16-bit pixels as the bytes a canvas takes: red, green, blue,
// alpha, one byte each, in that order in memory.
#pragma once

#include <cstdint>

namespace platform {

class RgbaPixels {
 public:
  // Widens a row of 5-6-5 (or 5-5-5) pixels; alpha is always opaque.
  void ExpandRow(const std::uint16_t* source, std::uint8_t* destination, int width, bool is565);

 private:
  // Every 16-bit value of the format last asked for, widened once.
  std::uint32_t table_[65536];
  int tableFormat_ = 0;
};

}  // namespace platform
