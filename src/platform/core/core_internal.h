// State shared between the platform core's own files.
#pragma once

#include <cstdint>

namespace platform {

struct PostedInput;

// Raised by every ResetCore: objects that opened a device on an earlier
// back end compare it to know whether that back end is still theirs.
std::uint32_t CoreGeneration();

// Forgets the failed saves of the best score and what was reported about
// them (ResetCore).
void ForgetScoreSaves();

// Whether posted input goes on to the queue (the input tap's say).
bool LetThrough(const PostedInput& input);

// The best score as the state folder holds it; ReadScoreFile hands it to
// the input tap first.
std::int32_t ReadStoredScore(const char* fileName);

}  // namespace platform
