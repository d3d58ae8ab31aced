// --record and --demo: the recorder or the replayer put between the game and
// the run's headless back end.
#pragma once

#include <cstdint>
#include <string>

#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "sim/sim_options.h"

namespace sim {

// Exit statuses of a replay that could not be played to its end.
inline constexpr int kReplayEndedExitCode = 3;      // the recording stops before the game did
inline constexpr int kReplayMismatchExitCode = 65;  // the game and the recording went different ways

// Before anything runs: --demo's recording is read and must come from this
// data set. False after saying why.
bool PrepareSession(const SimOptions& options, const std::string& dataDir);
// The virtual clock's first reading: the recording's under --demo.
std::uint32_t SessionClockStart(const SimOptions& options);
// The back end the game gets: the run's own, or the recorder or replayer
// over it. nullptr after saying why when the recording cannot be written.
platform::Backend* SessionBackend(platform::HeadlessBackend& backend);
// The run ends with code. The recording gets its end; a replay that the
// game ended (gameReturned) must end there too. Returns the exit status.
int SessionEnded(int code, bool gameReturned);

}  // namespace sim
