#include "game/quit.h"

#include "game/catalogue.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "platform/win32.h"

bool quitReleased = false;

void QuitGame() {
  if (!quitReleased) {
    quitReleased = true;
    ReleaseCatalogue();
    soundDevice.Close();
  }
  activeFlag = 0;
  PostQuitMessage(0);
}
