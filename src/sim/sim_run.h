// One run of the whole game on the headless back end, as the options say.
#pragma once

#include "sim/sim_options.h"

namespace sim {

// Returns the process exit code: the game's own, kRefusedExitCode when
// something was refused before the game started (reported on stderr).
// When --until is reached the process ends inside this call with
// kUntilExitCode, after the trace's exit line.
int RunSimulation(const SimOptions& options);

}  // namespace sim
