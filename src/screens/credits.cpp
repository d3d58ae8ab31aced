// The credits after the last cut-scene: Space begins everything afresh,
// Esc quits.
#include "game/catalogue.h"
#include "game/globals.h"
#include "game/quit.h"
#include "platform/win32.h"
#include "screens/screen_frame.h"
#include "screens/screens.h"

namespace {

constexpr COLORREF kPink = 0xDEB8FF;

void DrawCredits() {
  screens::DrawText(140, 20, "CREDIT");
  screens::DrawText(50, 60, "Produce : Quillon");
  screens::DrawText(50, 80, "Programing : Quillon");
  screens::DrawText(140, 100, "Tessel");
  fontSet.SetTextColor(kPink);
  screens::DrawText(50, 120, "Graphic : Varrow");
  fontSet.SetTextColor(screens::kWhite);
}

}  // namespace

void ShowCredits() {
  // The canvas is not cleared: the last cut-scene left it empty, and every
  // pass draws the same texts over the same places.
  for (;;) {
    if (screens::KeyHeld(VK_ESCAPE)) {
      // Given back while the sound device is still open.
      ReleaseIntermissionEffect();
      QuitGame();
      return;
    }
    if (screens::KeyHeld(VK_SPACE)) {
      // The last cut-scene's tune ends with the game it closed.
      ReleaseIntermissionEffect();
      ReleaseCatalogue();
      LoadCatalogue();
      return;
    }
    DrawCredits();
    screens::PresentCanvas();
  }
}
