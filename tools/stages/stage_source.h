// Reads a maze text source into a Stage.
//
// Lines starting with ';' are comments and empty lines are skipped; the other
// lines are the 18 rows of 20 cells: '#' wall, '.' small dot, 'o' large dot,
// ' ' open floor, 'P' the player's start, '0' to '3' the ghosts' starts (start
// cells are open floor without a dot).
#pragma once

#include <string>
#include <vector>

#include "stage.h"

namespace stages {

// Parses the lines; every fault is added to problems. Returns true when the
// text gave a complete stage (rules are checked separately).
bool ParseStage(const std::vector<std::string>& lines, int number, const std::string& source, Stage& stage,
                std::vector<Problem>& problems);

}  // namespace stages
