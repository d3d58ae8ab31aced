// The two stage files the game reads: the maze and dots of every stage, and
// the start cells of its five actors.
#pragma once

#include <cstdint>
#include <vector>

#include "stage.h"
#include "tool_io.h"

namespace stages {

// Wall cells name the picture that joins them to their wall neighbours:
// 1 + (up 1 | right 2 | down 4 | left 8). Cells outside the grid count as
// open, so the outer wall draws as one line; piece 1 is a lone block.
std::int32_t WallPiece(const Stage& stage, int row, int column);

tool::Bytes EncodeStageMap(const std::vector<Stage>& stages);
tool::Bytes EncodeStageScript(const std::vector<Stage>& stages);

}  // namespace stages
