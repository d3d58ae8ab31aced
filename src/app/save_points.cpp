#include "app/save_points.h"

#include "game/game_vars.h"
#include "game/high_score.h"
#include "platform/score_file.h"

void SaveAtGameEvents(std::int32_t /*from*/, std::int32_t to) {
  if ((to == GameOver || to == StageClear) && HighScoreUnsaved()) WriteHighScore();
}

void SaveUnsavedBestScore() {
  if (HighScoreUnsaved()) WriteHighScore();
}

bool BestScoreSaveFailed() { return platform::ScoreSaveFailed(); }
