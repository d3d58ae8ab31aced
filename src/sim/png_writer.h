// The pictures the runner captures, as compressed 8-bit RGB PNG files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// rgb holds width * height * 3 bytes, rows top to bottom. Empty result when
// the sizes do not match or the picture cannot be encoded.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

// 16-bit pixels (5-6-5 or 5-5-5) to 8-bit RGB, each channel widened by
// repeating its top bits so that full intensity stays 255.
std::vector<std::uint8_t> PixelsToRgb(const std::uint16_t* pixels, int width, int height, bool is565);

// Writes the bytes under path + ".part" and renames that to path once all
// of them were written, so no file stands under path cut short. False, with
// the reason, when it could not; nothing is left behind then.
bool WriteFileWhole(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& reason);

}  // namespace sim
