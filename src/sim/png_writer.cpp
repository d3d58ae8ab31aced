#include "sim/png_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "formats/pixel_format.h"

namespace sim {

namespace {

constexpr std::size_t kMaxStoredBlock = 65535;

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) {
      c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    table[n] = c;
  }
  return table;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 24));
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<std::uint8_t>(type[i]));
  }
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian32(out, Crc32(out.data() + typeAt, 4 + data.size()));
}

// A zlib stream of stored deflate blocks.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
  const std::size_t blocks = raw.empty() ? 1 : (raw.size() + kMaxStoredBlock - 1) / kMaxStoredBlock;
  std::vector<std::uint8_t> out(2 + blocks * 5 + raw.size());
  out[0] = 0x78;  // deflate, 32 KiB window
  out[1] = 0x01;  // no dictionary, lowest level; 0x7801 is a multiple of 31
  std::size_t to = 2;
  std::size_t at = 0;
  for (std::size_t block = 0; block < blocks; ++block) {
    const std::size_t length = std::min(raw.size() - at, kMaxStoredBlock);
    const auto len16 = static_cast<std::uint16_t>(length);
    const auto nlen16 = static_cast<std::uint16_t>(~len16);
    out[to++] = static_cast<std::uint8_t>(block + 1 == blocks ? 1 : 0);  // last block?
    out[to++] = static_cast<std::uint8_t>(len16 & 0xFF);
    out[to++] = static_cast<std::uint8_t>(len16 >> 8);
    out[to++] = static_cast<std::uint8_t>(nlen16 & 0xFF);
    out[to++] = static_cast<std::uint8_t>(nlen16 >> 8);
    if (length > 0) {
      std::memcpy(&out[to], &raw[at], length);
    }
    to += length;
    at += length;
  }
  PutBigEndian32(out, Adler32(raw.data(), raw.size()));
  return out;
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  }
  return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler) {
  constexpr std::uint32_t kModulus = 65521;
  std::uint32_t a = adler & 0xFFFFu;
  std::uint32_t b = adler >> 16;
  // 5552 bytes is the longest run whose sums cannot overflow 32 bits.
  while (size > 0) {
    const std::size_t run = size < 5552 ? size : 5552;
    for (std::size_t i = 0; i < run; ++i) {
      a += data[i];
      b += a;
    }
    a %= kModulus;
    b %= kModulus;
    data += run;
    size -= run;
  }
  return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    return {};
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> raw((rowBytes + 1) * static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    raw[y * (rowBytes + 1)] = 0;  // filter: none
    std::memcpy(&raw[y * (rowBytes + 1) + 1], &rgb[y * rowBytes], rowBytes);
  }

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian32(header, static_cast<std::uint32_t>(width));
  PutBigEndian32(header, static_cast<std::uint32_t>(height));
  header.push_back(8);  // bits per channel
  header.push_back(2);  // RGB
  header.push_back(0);  // deflate
  header.push_back(0);  // adaptive filtering
  header.push_back(0);  // not interlaced
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

std::vector<std::uint8_t> PixelsToRgb(const std::uint16_t* pixels, int width, int height, bool is565) {
  std::vector<std::uint8_t> rgb;
  if (width <= 0 || height <= 0) {
    return rgb;
  }
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  rgb.resize(count * 3);
  const formats::PixelFormat& format = is565 ? formats::kRgb565 : formats::kRgb555;
  std::uint8_t* out = rgb.data();
  for (std::size_t i = 0; i < count; ++i) {
    *out++ = static_cast<std::uint8_t>(formats::Red8(format, pixels[i]));
    *out++ = static_cast<std::uint8_t>(formats::Green8(format, pixels[i]));
    *out++ = static_cast<std::uint8_t>(formats::Blue8(pixels[i]));
  }
  return rgb;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace sim
