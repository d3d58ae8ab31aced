#include "game/play_frame.h"

#include "actors/actor.h"
#include "actors/ghost.h"
#include "game/death.h"
#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/player.h"
#include "game/playfield.h"

FrameKeys lastFrameKeys;
PlayFrameWatcher playFrameWatcher = nullptr;

namespace {

constexpr std::int32_t kExtraLifeEvery = 10000;
constexpr DWORD kGhostEatenPauseMs = 300;
constexpr std::uint32_t kEyesTimeMs = 4000;

RECT CollisionBox(const Actor& actor) {
  RECT box;
  SetRect(&box, actor.x + 4, actor.y + 4, actor.x + 9, actor.y + 9);
  return box;
}

void EndFrame(std::uint32_t gateTime) {
  if (playFrameWatcher != nullptr) {
    playFrameWatcher(gateTime, lastFrameKeys);
  }
}

}  // namespace

bool RectsOverlap(const RECT& a, const RECT& b) {
  return a.left < b.right && a.right > b.left && a.top < b.bottom && a.bottom > b.top;
}

void ScoreBookkeeping() {
  if (score - extraLifeBase >= kExtraLifeEvery) {
    extraLifeBase += kExtraLifeEvery;
    extraLifeEffect.Play();
    lives += 1;
  }
  if (highScore < score) {
    highScore = score;
  }
}

void CheckCollisions() {
  const RECT playerBox = CollisionBox(player);
  RECT ghostBoxes[4];
  for (int i = 0; i < 4; ++i) {
    ghostBoxes[i] = CollisionBox(ghosts[i]);
  }
  // The first ghost that acts ends the test: one catch or one meal a frame.
  for (int i = 0; i < 4; ++i) {
    Actor& ghost = ghosts[i];
    if (!RectsOverlap(playerBox, ghostBoxes[i])) {
      continue;
    }
    if (ghost.state == Chase || ghost.state == Wander) {
      player.state = Caught;
      player.SetAnimation(6, 300);
      break;
    }
    if (ghost.state == Blue) {
      ghostEatenEffect.Play();
      Sleep(kGhostEatenPauseMs);
      comboCount = static_cast<std::uint8_t>(comboCount + 1);
      score += comboCount * comboCount * 100;
      ghost.state = Eyes;
      ghost.modeDuration = kEyesTimeMs;
      ghost.modeStart = timeGetTime();
      break;
    }
  }
  ScoreBookkeeping();
}

void PlayFrame() {
  if (!FrameGate()) {
    return;
  }
  const std::uint32_t gateTime = frameGateLast;
  lastFrameKeys = FrameKeys{};

  CheckCollisions();
  if (player.state == Caught) {
    PlayDeath();
    EndFrame(gateTime);
    return;
  }
  ReadPlayerInput();
  UpdateGhosts();
  if (PlayerStepGate()) {
    MovePlayer();
  }
  if (GhostStepGate()) {
    MoveGhosts();
  }
  EatDots();
  if (dotCount == 0) {
    SetGameState(StageClear);
    stageNumber += 1;
  } else {
    DrawPlayfield();
  }
  EndFrame(gateTime);
}
