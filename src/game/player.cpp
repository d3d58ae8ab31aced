#include "game/player.h"

#include "actors/actor.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "game/play_frame.h"
#include "game/stage.h"
#include "platform/win32.h"

namespace {

constexpr std::uint32_t kBlueTimeMs = 10000;

bool Held(int virtualKey) {
  return (static_cast<std::uint16_t>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}

// The dot cell under the player's centre, or nullptr when the centre lies
// outside the grid.
std::int32_t* DotUnderCentre() {
  const std::int32_t row = (player.y + kActorCentre) / kCellSize;
  const std::int32_t column = (player.x + kActorCentre) / kCellSize;
  if (row < 0 || row >= kMazeRows || column < 0 || column >= kMazeColumns) {
    return nullptr;
  }
  return &maze.dots[row][column];
}

}  // namespace

void ReadPlayerInput() {
  const std::int32_t x = player.x;
  const std::int32_t y = player.y;
  const std::int32_t s = moveStep;
  FrameKeys& keys = lastFrameKeys;
  keys.read = true;
  keys.left = Held(VK_LEFT);
  keys.right = Held(VK_RIGHT);
  keys.up = Held(VK_UP);
  keys.down = Held(VK_DOWN);
  keys.escape = Held(VK_ESCAPE);

  // Each test on its own, so the last possible turn wins. Right and down
  // look one pixel further than the move itself.
  if (keys.left && OpenAtPixel(x - s, y) && OpenAtPixel(x - s, y + kActorEdge)) {
    player.direction = Left;
  }
  if (keys.right && OpenAtPixel(x + s + kActorSize, y) && OpenAtPixel(x + s + kActorSize, y + kActorEdge)) {
    player.direction = Right;
  }
  if (keys.up && OpenAtPixel(x, y - s) && OpenAtPixel(x + kActorEdge, y - s)) {
    player.direction = Up;
  }
  if (keys.down && OpenAtPixel(x, y + s + kActorSize) && OpenAtPixel(x + kActorEdge, y + s + kActorSize)) {
    player.direction = Down;
  }
  if (keys.escape) {
    SetGameState(Title);
  }
}

void MovePlayer() {
  if (player.x <= 0) {
    player.x = kLastColumnX;
  } else if (player.x >= kLastColumnX) {
    player.x = 0;
  }
  if (player.y <= 0) {
    player.y = kLastRowY;
  } else if (player.y >= kLastRowY) {
    player.y = 0;
  }
  const std::int32_t x = player.x;
  const std::int32_t y = player.y;
  const std::int32_t s = moveStep;
  switch (player.direction) {
    case Left:
      if (OpenAtPixel(x - s, y)) {
        player.x = x - s;
      }
      break;
    case Right:
      if (OpenAtPixel(x + s + kActorEdge, y)) {
        player.x = x + s;
      }
      break;
    case Up:
      if (OpenAtPixel(x, y - s)) {
        player.y = y - s;
      }
      break;
    case Down:
      if (OpenAtPixel(x, y + s + kActorEdge)) {
        player.y = y + s;
      }
      break;
    default:
      break;
  }
}

void EatDots() {
  std::int32_t* const dot = DotUnderCentre();
  if (dot != nullptr && *dot == SmallDot) {
    dotEffect.Rewind();
    dotEffect.Play();
    *dot = NoDot;
    dotCount -= 1;
    score += 10;
  } else if (dot != nullptr && *dot == LargeDot) {
    dotEffect.Rewind();
    comboCount = 0;
    dotEffect.Play();
    *dot = NoDot;
    dotCount -= 1;
    score += 50;
    const std::uint32_t now = timeGetTime();
    for (Actor& ghost : ghosts) {
      ghost.state = Blue;
      ghost.modeDuration = kBlueTimeMs;
      ghost.modeStart = now;
    }
  }
  ScoreBookkeeping();
}
