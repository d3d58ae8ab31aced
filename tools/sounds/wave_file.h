// PCM RIFF WAVE files: mono, 22050 Hz, 16 bits.
#pragma once

#include <cstdint>
#include <vector>

#include "tool_io.h"

namespace sounds {

// "RIFF", size, "WAVE", a 16-byte "fmt " chunk, then the "data" chunk.
tool::Bytes EncodeWave(const std::vector<std::int16_t>& samples);

}  // namespace sounds
