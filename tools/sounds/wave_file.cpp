#include "wave_file.h"

#include "recipe.h"

namespace sounds {

tool::Bytes EncodeWave(const std::vector<std::int16_t>& samples) {
  constexpr std::uint16_t kChannels = 1;
  constexpr std::uint16_t kBitsPerSample = 16;
  constexpr std::uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * kBlockAlign);

  tool::Bytes out;
  out.reserve(44 + dataBytes + 1);
  tool::AppendText(out, "RIFF");
  tool::AppendU32(out, 4 + (8 + 16) + (8 + dataBytes + (dataBytes & 1u)));
  tool::AppendText(out, "WAVE");
  tool::AppendText(out, "fmt ");
  tool::AppendU32(out, 16);
  tool::AppendU16(out, 1);  // PCM
  tool::AppendU16(out, kChannels);
  tool::AppendU32(out, kSampleRate);
  tool::AppendU32(out, kSampleRate * kBlockAlign);
  tool::AppendU16(out, kBlockAlign);
  tool::AppendU16(out, kBitsPerSample);
  tool::AppendText(out, "data");
  tool::AppendU32(out, dataBytes);
  for (std::int16_t sample : samples) tool::AppendU16(out, static_cast<std::uint16_t>(sample));
  if (dataBytes & 1u) tool::AppendU8(out, 0);
  return out;
}

}  // namespace sounds
