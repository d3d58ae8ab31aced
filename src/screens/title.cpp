// The title screen: the title picture, a blinking prompt, and a wait for
// Space, Esc or half a minute, whichever comes first.
#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/quit.h"
#include "game/stage.h"
#include "screens/screen_frame.h"
#include "screens/screens.h"

namespace {

constexpr DWORD kTitleTimeoutMs = 30000;
constexpr std::int32_t kCanvasWidth = 320;
constexpr std::int32_t kTitleY = 50;

}  // namespace

void ShowTitle() {
  // Loaded on every visit and given back on the way out, so the picture
  // costs nothing while the game is played.
  Sprite title;
  title.LoadBmp(display.GetDirectDraw(), "Title5.bmp");
  const DWORD start = timeGetTime();

  for (;;) {
    // Decided before anything is drawn, so a held Space starts at once.
    if (timeGetTime() - start > kTitleTimeoutMs) {
      SetGameState(Attract);
      break;
    }
    if (screens::KeyHeld(VK_ESCAPE)) {
      QuitGame();
      break;
    }
    if (screens::KeyHeld(VK_SPACE)) {
      StartStage();
      SetGameState(StageStart);
      break;
    }

    screens::ClearCanvas();
    title.Draw(canvas.GetSurface(), (kCanvasWidth - title.GetWidth()) / 2, kTitleY);
    // The blink flag and its gate are the play field's, so the prompt picks
    // up the rhythm wherever the large dots left it.
    if (BlinkGate()) {
      blinkOn = blinkOn == 0 ? 1 : 0;
    }
    if (blinkOn != 0) {
      screens::DrawText(100, 200, "Press Space Key");
    }
    screens::PresentCanvas();
  }

  title.Release();
}
