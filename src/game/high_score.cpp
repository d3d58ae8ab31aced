#include "game/high_score.h"

#include "game/game_vars.h"
#include "platform/score_file.h"

namespace {

constexpr char kFileName[] = "HighScore.sco";

}  // namespace

// No file, a short one or one we cannot read: no best score yet.
void ReadHighScore() { highScore = platform::ReadScoreFile(kFileName); }

void WriteHighScore() { platform::WriteScoreFile(kFileName, highScore); }
