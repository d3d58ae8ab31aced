// A picture file: a 14-byte file header, a 40-byte info header, then 24-bit
// pixels, bottom row first, each pixel blue, green, red, each row padded
// with zeros to a multiple of 4 bytes. Pixels of the transparent colour are
// left out when the picture is drawn.
#pragma once

#include <cstdint>

namespace formats {

#pragma pack(push, 1)
struct BitmapFileHeader {
  std::uint16_t bfType;
  std::uint32_t bfSize;
  std::uint16_t bfReserved1;
  std::uint16_t bfReserved2;
  std::uint32_t bfOffBits;
};
struct BitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BitmapFileHeader) == 14);
static_assert(sizeof(BitmapInfoHeader) == 40);

inline constexpr std::uint16_t kBmpSignature = 0x4D42;  // "BM"
inline constexpr std::uint32_t kBmpHeadersBytes = sizeof(BitmapFileHeader) + sizeof(BitmapInfoHeader);
inline constexpr std::uint16_t kBmpBitsPerPixel = 24;
inline constexpr std::uint32_t kBmpUncompressed = 0;

// Bytes per row: 3 per pixel, padded to a multiple of 4.
constexpr std::uint32_t BmpStride(std::uint32_t width) { return (width * 3 + 3) & ~3u; }

// The transparent colour, and the same as a COLORREF (red in the lowest
// byte, then green, then blue): 0x8080FF.
inline constexpr std::uint8_t kKeyRed = 255;
inline constexpr std::uint8_t kKeyGreen = 128;
inline constexpr std::uint8_t kKeyBlue = 128;
inline constexpr std::uint32_t kTransparentColor =
    std::uint32_t{kKeyRed} | std::uint32_t{kKeyGreen} << 8 | std::uint32_t{kKeyBlue} << 16;

}  // namespace formats
