// State shared between the platform core's own files.
#pragma once

#include <cstdint>

namespace platform {

// Raised by every ResetCore: objects that opened a device on an earlier
// back end compare it to know whether that back end is still theirs.
std::uint32_t CoreGeneration();

// Forgets the failed saves of the best score and what was reported about
// them (ResetCore).
void ForgetScoreSaves();

}  // namespace platform
