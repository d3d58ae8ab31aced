#include "game/playfield.h"

#include <cstdio>

#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/stage.h"

namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr std::uint32_t kPlainBlueMs = 7000;
constexpr std::int32_t kColumnX = 270;

// Actor fields index the picture tables; a value out of range draws nothing
// rather than a picture from beside the table.
template <int N>
Sprite* Picture(Sprite (&table)[N], std::int32_t index) {
  return index >= 0 && index < N ? &table[index] : nullptr;
}

std::int32_t Flipped(std::int32_t flag) { return flag == 0 ? 1 : 0; }

void DrawGhostBody(std::int32_t index, const Actor& ghost, IDirectDrawSurface* dest) {
  Sprite* body = nullptr;
  switch (ghost.state) {
    case Chase:
    case Wander:
      body = Picture(ghostPictures, 2 * index + ghost.frame);
      break;
    case Blue:
      // Plain blue first; near the end the ghost alternates with the
      // flashing pair to warn that blue time runs out.
      if (timeGetTime() - ghost.modeStart < kPlainBlueMs) {
        body = Picture(ghostPictures, 8 + ghost.frame);
      } else {
        body = Picture(ghostPictures, 8 + 2 * ghost.flashPhase + ghost.frame);
      }
      break;
    default:
      break;
  }
  if (body != nullptr) {
    body->Draw(dest, ghost.x, ghost.y);
  }
}

void DrawPlayer(IDirectDrawSurface* dest) {
  switch (player.direction) {
    case Left:
      if (Sprite* picture = Picture(playerPictures, player.frame)) {
        picture->Draw(dest, player.x, player.y);
      }
      break;
    case Right:
      if (Sprite* picture = Picture(playerPictures, player.frame)) {
        picture->DrawMirrored(dest, player.x, player.y, MirrorLeftRight);
      }
      break;
    case Up:
      if (Sprite* picture = Picture(playerPictures, player.frame + 3)) {
        picture->Draw(dest, player.x, player.y);
      }
      break;
    case Down:
      if (Sprite* picture = Picture(playerPictures, player.frame + 3)) {
        picture->DrawMirrored(dest, player.x, player.y, MirrorUpDown);
      }
      break;
    default:
      break;
  }
}

void DrawScoreColumn(IDirectDrawSurface* dest) {
  char text[32];
  fontSet.SetTextColor(kRed);
  fontSet.DrawLatinText(canvas, kColumnX, 0, "HIGH");
  fontSet.DrawLatinText(canvas, kColumnX, 20, "SCORE");
  std::snprintf(text, sizeof(text), "%d", highScore);
  fontSet.DrawLatinText(canvas, kColumnX, 40, text);

  fontSet.SetTextColor(kWhite);
  fontSet.DrawLatinText(canvas, kColumnX, 60, "SCORE");
  std::snprintf(text, sizeof(text), "%d", score);
  fontSet.DrawLatinText(canvas, kColumnX, 80, text);

  if (comboCount != 0) {
    std::snprintf(text, sizeof(text), "Combo%d", comboCount);
    fontSet.DrawLatinText(canvas, kColumnX, 150, text);
    std::snprintf(text, sizeof(text), "+%d", comboCount * comboCount * 100);
    fontSet.DrawLatinText(canvas, kColumnX, 170, text);
  }

  if (lives >= 1 && lives <= 3) {
    for (std::int32_t i = 0; i < lives; ++i) {
      playerPictures[0].DrawMirrored(dest, kColumnX + kCellSize * i, 120, MirrorLeftRight);
    }
  } else if (lives >= 4) {
    playerPictures[0].DrawMirrored(dest, kColumnX, 120, MirrorLeftRight);
    std::snprintf(text, sizeof(text), "x %d", lives);
    fontSet.DrawLatinText(canvas, kColumnX + kCellSize, 118, text);
  }
}

}  // namespace

void DrawMaze(bool showLargeDots) {
  IDirectDrawSurface* dest = canvas.GetSurface();
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) {
      const std::int32_t x = kCellSize * column;
      const std::int32_t y = kCellSize * row;
      const std::int32_t wall = maze.walls[row][column];
      if (IsWallPicture(wall)) {
        wallPictures[wall - 1].Draw(dest, x, y);
      }
      const std::int32_t dot = maze.dots[row][column];
      if (dot == SmallDot) {
        dotPictures[0].Draw(dest, x, y);
      } else if (dot == LargeDot && showLargeDots) {
        dotPictures[1].Draw(dest, x, y);
      }
    }
  }
}

void DrawPlayfield() {
  IDirectDrawSurface* dest = canvas.GetSurface();
  display.Clear(dest);
  if (BlinkGate()) {
    blinkOn = Flipped(blinkOn);
  }
  DrawMaze(blinkOn == 1);

  for (Actor& ghost : ghosts) {
    if (ghost.AdvanceAnimation()) {
      ghost.flashPhase = Flipped(ghost.flashPhase);
    }
  }
  player.AdvanceAnimation();

  for (std::int32_t i = 0; i < 4; ++i) {
    DrawGhostBody(i, ghosts[i], dest);
  }
  for (const Actor& ghost : ghosts) {
    if (ghost.state != Blue) {
      if (Sprite* eyes = Picture(eyePictures, ghost.direction)) {
        eyes->Draw(dest, ghost.x + 2, ghost.y + 2);
      }
    }
  }
  DrawPlayer(dest);
  DrawScoreColumn(dest);

  canvas.Draw(display.GetBackBuffer(), 0, 0);
  display.Present();
}
