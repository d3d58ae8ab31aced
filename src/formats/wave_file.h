// A sound file: a "RIFF" chunk of form "WAVE" holding a "fmt " chunk and a
// "data" chunk with the samples, in either order. A chunk is its four-letter
// name, its size as 32-bit little-endian, then its body, padded to an even
// length. The "fmt " body starts with the PCM format record (tag, channels,
// samples per second, bytes per second, block align, bits per sample);
// formats other than PCM follow it with a 16-bit count of extra bytes and
// those bytes.
#pragma once

#include <cstdint>

namespace formats {

// A chunk name as the 32-bit little-endian value of its four letters.
constexpr std::uint32_t FourCc(char a, char b, char c, char d) {
  return std::uint32_t{static_cast<std::uint8_t>(a)} | std::uint32_t{static_cast<std::uint8_t>(b)} << 8 |
         std::uint32_t{static_cast<std::uint8_t>(c)} << 16 |
         std::uint32_t{static_cast<std::uint8_t>(d)} << 24;
}

inline constexpr std::uint32_t kRiffChunk = FourCc('R', 'I', 'F', 'F');
inline constexpr std::uint32_t kWaveForm = FourCc('W', 'A', 'V', 'E');
inline constexpr std::uint32_t kFormatChunk = FourCc('f', 'm', 't', ' ');
inline constexpr std::uint32_t kDataChunk = FourCc('d', 'a', 't', 'a');
inline constexpr std::uint32_t kChunkHeaderBytes = 8;

inline constexpr std::uint16_t kPcmFormatTag = 1;
inline constexpr std::uint32_t kPcmRecordBytes = 16;
inline constexpr std::uint32_t kExtraSizeBytes = 2;

}  // namespace formats
