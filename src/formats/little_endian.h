// The little-endian integers the data files are made of, read and written
// byte by byte so the machine's own byte order never matters.
#pragma once

#include <cstdint>

namespace formats {

constexpr std::uint32_t LoadLe32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

constexpr void StoreLe32(std::uint32_t value, std::uint8_t* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace formats
