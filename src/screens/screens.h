// The blocking screens around the play.
#pragma once

#include <cstdint>

void ShowStageStart();
void ShowStageClear();
void ShowGameOver();
void ShowTitle();
// 0 Esc, 1 Space, 2 finished, -1 the quit message was taken.
std::int32_t RunAttract();
void PlayIntermission(std::int32_t scene);
void ShowCredits();

// The last cut-scene leaves its effect playing into the credits; this gives
// it back (the credits do when they end). Does nothing when none is held.
void ReleaseIntermissionEffect();
