// When the best score is saved beyond quitting and the credits' fresh
// start, so that a crash, a lost display or a killed program loses at most
// the game in progress, and how a program tells that a save failed.
#pragma once

#include <cstdint>

#include "platform/score_file.h"

// The exit status of a run whose best score could not be saved.
inline constexpr int kBestScoreNotSavedExitCode = platform::kScoreNotSavedExitCode;

// A game-state watcher (gameStateWatcher): saves the best score when a game
// ends or a stage is cleared with a best score above the one last saved.
void SaveAtGameEvents(std::int32_t from, std::int32_t to);

// For std::atexit: saves a best score not yet saved, as when the display's
// library ends the program on a lost connection.
void SaveUnsavedBestScore();

// Whether a save of the best score failed during the run.
bool BestScoreSaveFailed();
