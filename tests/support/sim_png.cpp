#include "support/sim_png.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace testsupport {

namespace {

// Bit by bit, the slow way: no table shared with the encoder.
std::uint32_t SlowCrc(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

std::uint32_t SlowAdler(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return (b << 16) | a;
}

std::uint32_t BigEndian(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

RgbImage::Pixel RgbImage::At(int x, int y) const {
  const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3;
  return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

bool DecodeStoredPng(const std::vector<std::uint8_t>& bytes, RgbImage& image, std::string& error) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
    error = "no PNG signature";
    return false;
  }
  std::vector<std::uint8_t> zlib;
  bool sawHeader = false;
  bool sawEnd = false;
  std::size_t at = 8;
  while (at + 12 <= bytes.size() && !sawEnd) {
    const std::uint32_t length = BigEndian(&bytes[at]);
    if (at + 12 + length > bytes.size()) {
      error = "chunk runs past the end";
      return false;
    }
    const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
    const std::uint8_t* data = &bytes[at + 8];
    if (SlowCrc(&bytes[at + 4], 4 + length) != BigEndian(data + length)) {
      error = "bad CRC in " + type;
      return false;
    }
    if (type == "IHDR") {
      if (length != 13 || data[8] != 8 || data[9] != 2 || data[10] != 0 || data[11] != 0 || data[12] != 0) {
        error = "not an 8-bit RGB picture without interlacing";
        return false;
      }
      image.width = static_cast<int>(BigEndian(data));
      image.height = static_cast<int>(BigEndian(data + 4));
      sawHeader = true;
    } else if (type == "IDAT") {
      zlib.insert(zlib.end(), data, data + length);
    } else if (type == "IEND") {
      sawEnd = true;
    }
    at += 12 + length;
  }
  if (!sawHeader || !sawEnd || at != bytes.size()) {
    error = "missing IHDR or IEND, or bytes after IEND";
    return false;
  }
  if (zlib.size() < 6 || (zlib[0] * 256 + zlib[1]) % 31 != 0 || (zlib[0] & 0x0F) != 8) {
    error = "bad zlib header";
    return false;
  }
  std::vector<std::uint8_t> raw;
  std::size_t z = 2;
  bool last = false;
  while (!last) {
    if (z + 5 > zlib.size() || (zlib[z] & 0x06) != 0) {
      error = "not a stored deflate block";
      return false;
    }
    last = (zlib[z] & 1) != 0;
    const unsigned len = zlib[z + 1] | (unsigned{zlib[z + 2]} << 8);
    const unsigned nlen = zlib[z + 3] | (unsigned{zlib[z + 4]} << 8);
    if ((len ^ 0xFFFFu) != nlen || z + 5 + len > zlib.size()) {
      error = "bad stored block length";
      return false;
    }
    raw.insert(raw.end(), zlib.begin() + static_cast<std::ptrdiff_t>(z + 5),
               zlib.begin() + static_cast<std::ptrdiff_t>(z + 5 + len));
    z += 5 + len;
  }
  if (z + 4 != zlib.size() || BigEndian(&zlib[z]) != SlowAdler(raw)) {
    error = "bad Adler sum or trailing bytes";
    return false;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
  if (raw.size() != (rowBytes + 1) * static_cast<std::size_t>(image.height)) {
    error = "wrong amount of pixel data";
    return false;
  }
  image.rgb.clear();
  for (int y = 0; y < image.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * (rowBytes + 1);
    if (raw[row] != 0) {
      error = "a row uses a filter";
      return false;
    }
    image.rgb.insert(image.rgb.end(), raw.begin() + static_cast<std::ptrdiff_t>(row + 1),
                     raw.begin() + static_cast<std::ptrdiff_t>(row + 1 + rowBytes));
  }
  return true;
}

bool ReadStoredPng(const std::string& path, RgbImage& image, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return DecodeStoredPng(bytes, image, error);
}

}  // namespace testsupport
