#include "game/game_vars.h"

GameState gameState = Attract;
std::uint32_t activeFlag = 0;
HWND mainWindow = nullptr;
std::int32_t stageNumber = 0;
std::int32_t intermissionCount = 0;
std::int32_t lives = 0;
std::int32_t score = 0;
std::int32_t extraLifeBase = 0;
std::int32_t highScore = 0;
std::uint8_t comboCount = 0;
std::int32_t moveStep = 0;
std::int32_t dotCount = 0;
std::int32_t blinkOn = 0;

GameStateWatcher gameStateWatcher = nullptr;

void SetGameState(GameState state) {
  const GameState from = gameState;
  gameState = state;
  if (gameStateWatcher != nullptr && from != state) {
    gameStateWatcher(from, state);
  }
}

void NewGameReset() {
  stageNumber = 1;
  lives = 2;
  score = 0;
  intermissionCount = 0;
  extraLifeBase = 0;
}
