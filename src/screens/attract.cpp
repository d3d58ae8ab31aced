// The attract screen: the four ghosts introduced one by one, the dot values,
// a blinking prompt, then a short chase along one line. It pumps the
// window's messages itself, so Esc and F12 quit at once while it runs.
#include <cstdint>

#include "actors/actor.h"
#include "game/gates.h"
#include "game/globals.h"
#include "platform/win32.h"
#include "screens/screen_frame.h"
#include "screens/screens.h"

namespace {

struct GhostRow {
  std::int32_t y;
  const char* nickname;
  const char* name;
  COLORREF color;
};

constexpr GhostRow kGhostRows[4] = {
    {40, "- HUNTER", "\"ZORBY\"", 0x0000FF},
    {60, "- RACER", "\"MIMSY\"", 0xDEB8FF},
    {80, "- DODGER", "\"TUCKO\"", 0xDEFF00},
    {100, "- DAWDLER", "\"GRUFF\"", 0x47B8FF},
};

// How long each reveal step lasts before the next one shows, in ms. Step 13
// reveals nothing new; it only holds the finished table a while longer.
constexpr DWORD kRevealMs[15] = {1500, 1200, 800,  1000, 1200, 800, 1000, 1200,
                                 800,  1000, 1200, 800,  1200, 800, 800};
constexpr std::int32_t kLastRevealStep = 15;
// From this step on the dot values and the prompt show.
constexpr std::int32_t kDotValuesStep = 13;

constexpr std::int32_t kPictureX = 77;
constexpr std::int32_t kNicknameX = 103;
constexpr std::int32_t kNameX = 195;

constexpr std::int32_t kChaseY = 130;
constexpr std::int32_t kTurnX = 80;
constexpr std::int32_t kExitX = 320;

constexpr DWORD kDotBlinkMs = 300;
constexpr DWORD kPromptBlinkMs = 500;

struct AttractState {
  std::int32_t revealStep = 0;
  DWORD stepStart = 0;  // 0: not taken yet
  std::int32_t dotBlink = 0;
  DWORD dotBlinkLast = 0;
  std::int32_t promptBlink = 0;
  DWORD promptBlinkLast = 0;
  std::int32_t leftward = 1;
};

void PlaceActors() {
  player.x = 200;
  player.y = kChaseY;
  player.SetAnimation(3, 50);
  for (std::int32_t i = 0; i < 4; ++i) {
    ghosts[i].x = 220 + 13 * i;
    ghosts[i].y = kChaseY;
    ghosts[i].SetAnimation(2, 50);
  }
}

void AdvanceReveal(AttractState& state, DWORD now) {
  if (state.revealStep >= kLastRevealStep) {
    return;
  }
  if (state.revealStep == 0 && state.stepStart == 0) {
    state.stepStart = now;
  }
  if (now - state.stepStart > kRevealMs[state.revealStep]) {
    ++state.revealStep;
    state.stepStart = now;
  }
}

// Both flip on the first pass, so the large dot and the prompt start shown.
void AdvanceBlinks(AttractState& state, DWORD now) {
  if (now - state.dotBlinkLast > kDotBlinkMs) {
    state.dotBlink ^= 1;
    state.dotBlinkLast = now;
  }
  if (now - state.promptBlinkLast > kPromptBlinkMs) {
    state.promptBlink ^= 1;
    state.promptBlinkLast = now;
  }
}

void DrawColoredText(std::int32_t x, std::int32_t y, const char* text, COLORREF color) {
  fontSet.SetTextColor(color);
  screens::DrawText(x, y, text);
  fontSet.SetTextColor(screens::kWhite);
}

// Row r (0 to 3) shows its picture from step 3r + 1, its nickname from
// 3r + 2 and its name from 3r + 3.
void DrawGhostTable(std::int32_t revealStep) {
  for (std::int32_t row = 0; row < 4; ++row) {
    const GhostRow& line = kGhostRows[row];
    const std::int32_t shown = revealStep - 3 * row;
    if (shown >= 1) {
      ghostPictures[2 * row].Draw(canvas.GetSurface(), kPictureX, line.y);
      eyePictures[Right].Draw(canvas.GetSurface(), kPictureX + 2, line.y + 2);
    }
    if (shown >= 2) {
      DrawColoredText(kNicknameX, line.y, line.nickname, line.color);
    }
    if (shown >= 3) {
      DrawColoredText(kNameX, line.y, line.name, line.color);
    }
  }
}

void DrawDotValues(const AttractState& state) {
  dotPictures[0].Draw(canvas.GetSurface(), 125, 160);
  if (state.dotBlink != 0) {
    dotPictures[1].Draw(canvas.GetSurface(), 125, 176);
  }
  screens::DrawText(145, 158, "10 PTS");
  screens::DrawText(145, 174, "50 PTS");
  if (state.promptBlink != 0) {
    screens::DrawText(107, 200, "Press SpaceKey");
  }
}

// One step of the chase; false when the player is back at the right edge.
bool ChaseStep(AttractState& state) {
  if (state.leftward == 0 && player.x >= kExitX) {
    return false;
  }
  if (player.x <= kTurnX && state.leftward == 1) {
    state.leftward = 0;
  }
  const std::int32_t step = state.leftward != 0 ? -1 : 1;
  if (PlayerStepGate()) {
    player.x += step;
  }
  player.AdvanceAnimation();
  if (GhostStepGate()) {
    for (Actor& ghost : ghosts) {
      ghost.x += step;
      ghost.AdvanceAnimation();
    }
  }

  if (state.leftward != 0) {
    if (state.dotBlink != 0) {
      dotPictures[1].Draw(canvas.GetSurface(), kTurnX, kChaseY);
    }
    screens::DrawFrom(playerPictures, player.frame, player.x, player.y);
  } else {
    screens::DrawMirroredFrom(playerPictures, player.frame, player.x, player.y);
  }
  for (std::int32_t i = 0; i < 4; ++i) {
    const Actor& ghost = ghosts[i];
    if (state.leftward != 0) {
      screens::DrawFrom(ghostPictures, 2 * i + ghost.frame, ghost.x, ghost.y);
      eyePictures[Left].Draw(canvas.GetSurface(), ghost.x + 2, ghost.y + 2);
    } else {
      screens::DrawFrom(ghostPictures, 8 + ghost.frame, ghost.x, ghost.y);
      eyePictures[Right].Draw(canvas.GetSurface(), ghost.x + 2, ghost.y + 2);
    }
  }
  return true;
}

}  // namespace

AttractResult RunAttract() {
  AttractState state;
  PlaceActors();

  for (;;) {
    // A pass that handles a message does nothing else, so a busy queue
    // holds the picture still until it is empty.
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (GetMessageA(&message, nullptr, 0, 0) == 0) {
        return AttractQuitMessage;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    if (screens::KeyHeld(VK_ESCAPE)) {
      return AttractEscape;
    }
    if (screens::KeyHeld(VK_SPACE)) {
      return AttractSpace;
    }

    // One reading for the reveal and both blinks.
    const DWORD now = timeGetTime();
    AdvanceReveal(state, now);
    AdvanceBlinks(state, now);

    screens::ClearCanvas();
    DrawGhostTable(state.revealStep);
    if (state.revealStep >= kDotValuesStep) {
      DrawDotValues(state);
    }
    if (state.revealStep >= kLastRevealStep && !ChaseStep(state)) {
      return AttractFinished;
    }
    screens::DrawText(100, 15, "CHARACTER / NICKNAME");
    screens::PresentCanvas();
  }
}
