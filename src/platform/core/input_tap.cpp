#include "platform/input_tap.h"

#include "platform/core/core_internal.h"
#include "platform/score_file.h"

namespace platform {
namespace {

InputTap* tap = nullptr;

}  // namespace

void SetInputTap(InputTap* newTap) { tap = newTap; }

bool LetThrough(const PostedInput& input) { return tap == nullptr || tap->Posting(input); }

std::int32_t ReadScoreFile(const char* fileName) {
  const std::int32_t stored = ReadStoredScore(fileName);
  return tap == nullptr ? stored : tap->ScoreRead(stored);
}

}  // namespace platform
