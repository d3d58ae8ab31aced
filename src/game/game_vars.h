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

extern GameState gameState;             // the state whose step the main loop runs next
extern std::uint32_t activeFlag;        // the last WM_ACTIVATE wParam; steps run only while nonzero
extern HWND mainWindow;                 // the game window
extern std::int32_t stageNumber;        // the current stage from 1; reading a stage stores its own number
extern std::int32_t intermissionCount;  // cut-scenes begun this game; 1 to 3 while one runs
extern std::int32_t lives;              // spare lives; a catch that takes it below 0 ends the game
extern std::int32_t score;              // the current game's score
extern std::int32_t extraLifeBase;      // score already turned into extra lives, a multiple of 10000
extern std::int32_t highScore;          // the best score, kept in "HighScore.sco"
extern std::uint8_t comboCount;         // ghosts eaten since the last large dot
extern std::int32_t moveStep;           // pixels per movement step, always 1
extern std::int32_t dotCount;           // dots left in the stage
extern std::int32_t blinkOn;            // 0 or 1, flipped by the blink gate: large dots, the title's prompt

// Every write of gameState goes through here, so a watcher (the simulation
// runner's trace) sees each change.
void SetGameState(GameState state);
using GameStateWatcher = void (*)(std::int32_t from, std::int32_t to);
extern GameStateWatcher gameStateWatcher;

// The reset after a game over: stage 1, two spare lives, no score, no
// cut-scene seen, no extra life earned.
void NewGameReset();
