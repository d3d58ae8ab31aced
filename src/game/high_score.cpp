#include "game/high_score.h"

#include <cstdint>

#include "game/game_vars.h"
#include "platform/score_file.h"

namespace {

constexpr char kFileName[] = "HighScore.sco";

// The best score the file is known to hold.
std::int32_t savedHighScore = 0;

}  // namespace

// No file, a short one or one we cannot read: no best score yet.
void ReadHighScore() {
  highScore = platform::ReadScoreFile(kFileName);
  savedHighScore = highScore;
}

void WriteHighScore() {
  if (platform::WriteScoreFile(kFileName, highScore)) savedHighScore = highScore;
}

bool HighScoreUnsaved() { return highScore > savedHighScore; }
