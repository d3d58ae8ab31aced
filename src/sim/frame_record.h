// Reads a play frame's outcome from the game variables and actors.
#pragma once

#include <cstdint>

#include "game/play_frame.h"
#include "sim/sim_trace.h"

namespace sim {

FrameRecord RecordPlayFrame(std::uint32_t gateTime, const FrameKeys& keys);

}  // namespace sim
