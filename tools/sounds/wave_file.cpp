#include "wave_file.h"

#include "formats/wave_file.h"
#include "recipe.h"

namespace sounds {

tool::Bytes EncodeWave(const std::vector<std::int16_t>& samples) {
  using formats::kChunkHeaderBytes;
  constexpr std::uint16_t kChannels = 1;
  constexpr std::uint16_t kBitsPerSample = 16;
  constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * kBlockAlign);
  const std::uint32_t riffBytes =
      4 + (kChunkHeaderBytes + formats::kPcmRecordBytes) + (kChunkHeaderBytes + dataBytes + (dataBytes & 1u));

  tool::Bytes out;
  out.reserve(kChunkHeaderBytes + riffBytes);
  tool::AppendU32(out, formats::kRiffChunk);
  tool::AppendU32(out, riffBytes);
  tool::AppendU32(out, formats::kWaveForm);
  tool::AppendU32(out, formats::kFormatChunk);
  tool::AppendU32(out, formats::kPcmRecordBytes);
  tool::AppendU16(out, formats::kPcmFormatTag);
  tool::AppendU16(out, kChannels);
  tool::AppendU32(out, kSampleRate);
  tool::AppendU32(out, kSampleRate * kBlockAlign);
  tool::AppendU16(out, kBlockAlign);
  tool::AppendU16(out, kBitsPerSample);
  tool::AppendU32(out, formats::kDataChunk);
  tool::AppendU32(out, dataBytes);
  for (std::int16_t sample : samples) tool::AppendU16(out, static_cast<std::uint16_t>(sample));
  if (dataBytes & 1u) tool::AppendU8(out, 0);
  return out;
}

}  // namespace sounds
