// The two 16-bit pixel formats the game draws in: 5-6-5, and 5-5-5 with bit
// 15 unused. An 8-bit channel goes in with its low bits dropped (no
// rounding), and comes back out with its top bits repeated below them, so
// full intensity stays full and zero stays zero.
#pragma once

#include <cstdint>

namespace formats {

struct PixelFormat {
  std::uint16_t number;  // 565 or 555, as a picture records its format
  std::uint16_t redMask;
  std::uint16_t greenMask;
  std::uint16_t blueMask;
  unsigned redShift;
  unsigned greenBits;
};

inline constexpr PixelFormat kRgb565{565, 0xF800, 0x07E0, 0x001F, 11, 6};
inline constexpr PixelFormat kRgb555{555, 0x7C00, 0x03E0, 0x001F, 10, 5};

// One 8-bit channel moved to its place in a pixel.
constexpr std::uint32_t RedField(const PixelFormat& format, std::uint32_t red) {
  return (red >> 3) << format.redShift;
}
constexpr std::uint32_t GreenField(const PixelFormat& format, std::uint32_t green) {
  return (green >> (8 - format.greenBits)) << 5;
}
constexpr std::uint32_t BlueField(std::uint32_t blue) { return blue >> 3; }

constexpr std::uint16_t PackPixel(const PixelFormat& format, std::uint32_t red, std::uint32_t green,
                                  std::uint32_t blue) {
  return static_cast<std::uint16_t>(RedField(format, red) | GreenField(format, green) | BlueField(blue));
}

constexpr std::uint32_t Widen5(std::uint32_t value) { return (value << 3) | (value >> 2); }
constexpr std::uint32_t Widen6(std::uint32_t value) { return (value << 2) | (value >> 4); }

// One channel of a pixel as 8 bits.
constexpr std::uint32_t Red8(const PixelFormat& format, std::uint32_t pixel) {
  return Widen5((pixel >> format.redShift) & 31u);
}
constexpr std::uint32_t Green8(const PixelFormat& format, std::uint32_t pixel) {
  return format.greenBits == 6 ? Widen6((pixel >> 5) & 63u) : Widen5((pixel >> 5) & 31u);
}
constexpr std::uint32_t Blue8(std::uint32_t pixel) { return Widen5(pixel & 31u); }

}  // namespace formats
