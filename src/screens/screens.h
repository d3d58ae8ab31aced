// The blocking screens around the play.
#pragma once

#include <cstdint>

void ShowStageStart();
void ShowStageClear();
void ShowGameOver();
void ShowTitle();
// How the attract screen ended; the main loop acts on it.
enum AttractResult : std::int32_t {
  AttractEscape = 0,
  AttractSpace = 1,
  AttractFinished = 2,
  AttractQuitMessage = -1,  // its own message pump took the quit message
};
AttractResult RunAttract();
void PlayIntermission(std::int32_t scene);
void ShowCredits();

// The last cut-scene leaves its effect playing into the credits; this gives
// it back (the credits do when they end). Does nothing when none is held.
void ReleaseIntermissionEffect();
