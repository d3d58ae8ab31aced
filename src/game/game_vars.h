// The game variables: one process-wide instance each, read and written by
// the plain operations of every subsystem.
#pragma once

#include <cstdint>

#include "platform/win32.h"

enum GameState : std::int32_t {
  Attract = 0,
  Title = 1,
  Intermission = 2,
  StageStart = 3,
  Play = 4,
  StageClear = 5,
  GameOver = 6,
  Credits = 7,
};

extern GameState gameState;
extern std::uint32_t activeFlag;
extern HWND mainWindow;
extern std::int32_t stageNumber;
extern std::int32_t intermissionCount;
extern std::int32_t lives;
extern std::int32_t score;
extern std::int32_t extraLifeBase;
extern std::int32_t highScore;
extern std::uint8_t comboCount;
extern std::int32_t moveStep;
extern std::int32_t dotCount;
extern std::int32_t blinkOn;

// Every write of gameState goes through here, so a watcher (the simulation
// runner's trace) sees each change.
void SetGameState(GameState state);
using GameStateWatcher = void (*)(std::int32_t from, std::int32_t to);
extern GameStateWatcher gameStateWatcher;

// The reset after a game over: stage 1, two spare lives, no score, no
// cut-scene seen, no extra life earned.
void NewGameReset();
