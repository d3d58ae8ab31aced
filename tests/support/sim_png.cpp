#include "support/sim_png.h"

#include <cstring>

namespace testsupport {

namespace {

// Bit by bit, the slow way: no table shared with the encoder.
std::uint32_t SlowCrc(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size * 8; ++i) {
    crc ^= i % 8 == 0 ? data[i / 8] : 0u;
    crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t BigEndian(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

std::string DecodeStoredPng(const std::vector<std::uint8_t>& bytes, RgbImage& image) {
  if (bytes.size() < 8 || std::memcmp(bytes.data(), "\x89PNG\r\n\x1A\n", 8) != 0) {
    return "no PNG signature";
  }
  std::vector<std::uint8_t> zlib;
  std::size_t at = 8;
  for (std::string type; type != "IEND"; at += 12 + BigEndian(&bytes[at])) {
    if (at + 12 > bytes.size() || at + 12 + BigEndian(&bytes[at]) > bytes.size()) {
      return "a chunk runs past the end";
    }
    const std::uint32_t length = BigEndian(&bytes[at]);
    const std::uint8_t* data = &bytes[at + 8];
    type.assign(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
    if (SlowCrc(&bytes[at + 4], 4 + length) != BigEndian(data + length)) {
      return "bad CRC in " + type;
    }
    if (type == "IHDR" && (length != 13 || std::memcmp(data + 8, "\x08\x02\0\0\0", 5) != 0)) {
      return "not an 8-bit RGB picture without interlacing";
    }
    if (type == "IHDR") {
      image.width = static_cast<int>(BigEndian(data));
      image.height = static_cast<int>(BigEndian(data + 4));
    } else if (type == "IDAT") {
      zlib.insert(zlib.end(), data, data + length);
    }
  }
  if (image.width <= 0 || at != bytes.size() || zlib.size() < 6 || (zlib[0] * 256 + zlib[1]) % 31 != 0 ||
      (zlib[0] & 0x0F) != 8) {
    return "no IHDR, bytes after IEND, or a bad zlib header";
  }
  std::vector<std::uint8_t> raw;
  std::size_t z = 2;
  for (bool last = false; !last;) {
    if (z + 5 > zlib.size() || (zlib[z] & 0x06) != 0) {
      return "not a stored deflate block";
    }
    const unsigned length = zlib[z + 1] | (unsigned{zlib[z + 2]} << 8);
    if ((length ^ 0xFFFFu) != (zlib[z + 3] | (unsigned{zlib[z + 4]} << 8)) || z + 5 + length > zlib.size()) {
      return "bad stored block length";
    }
    last = (zlib[z] & 1) != 0;
    raw.insert(raw.end(), zlib.begin() + z + 5, zlib.begin() + z + 5 + length);
    z += 5 + length;
  }
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  if (z + 4 != zlib.size() || BigEndian(&zlib[z]) != ((b << 16) | a)) {
    return "bad Adler sum or trailing bytes";
  }
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
  if (raw.size() != (rowBytes + 1) * static_cast<std::size_t>(image.height)) {
    return "wrong amount of pixel data";
  }
  image.rgb.clear();
  for (std::size_t row = 0; row < raw.size(); row += rowBytes + 1) {
    if (raw[row] != 0) {
      return "a row uses a filter";
    }
    image.rgb.insert(image.rgb.end(), raw.begin() + row + 1, raw.begin() + row + 1 + rowBytes);
  }
  return "";
}

}  // namespace testsupport
