// The "fmt " chunk of a WAV file as the format record that describes a
// sound buffer: a WAVEFORMATEX followed by its extra bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/dsound.h"
#include "platform/mmio.h"

struct WaveFormatRecord {
  std::unique_ptr<std::uint8_t[]> bytes;
  std::size_t size = 0;  // 18 + cbSize

  // The record is byte-packed, so any address will do.
  WAVEFORMATEX* format() const { return reinterpret_cast<WAVEFORMATEX*>(bytes.get()); }
  const std::uint8_t* extra() const { return bytes.get() + sizeof(WAVEFORMATEX); }
};

// Finds "fmt " inside the RIFF chunk from the current position, reads the
// record and leaves the chunk again. False when there is no such chunk or
// its body is shorter than the record it describes.
bool ReadWaveFormat(HMMIO file, const MMCKINFO& riff, WaveFormatRecord& record);
