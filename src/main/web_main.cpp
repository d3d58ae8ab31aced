// The program the browser runs: the game on the web back end, its data
// files packed into the page's file system, its best score kept by the
// browser.
#include <emscripten/emscripten.h>
#include <sys/stat.h>

#include "app/save_points.h"
#include "app/shell.h"
#include "game/game_vars.h"
#include "platform/backend.h"
#include "platform/file_places.h"
#include "platform/web/web_backend.h"

// The page is going (a reload, the tab closed): the game gets no close, so
// a best score it has not saved yet is saved now.
extern "C" EMSCRIPTEN_KEEPALIVE void chompo_web_save() { SaveUnsavedBestScore(); }

int main() {
  // Never deleted: the game's global objects may still reach the platform.
  auto* backend = new platform::WebBackend();
  platform::SetBackend(backend);
  // Emscripten's file system starts with every permission masked, which
  // would leave a saved best score unreadable; a desktop's usual mask.
  ::umask(022);
  platform::SetDataFolder("/data");
  platform::SetStateFolder("/state");
  backend->RestoreState();
  // Also saved when a game ends or a stage is cleared.
  gameStateWatcher = SaveAtGameEvents;
  char commandLine[] = "";
  const int exitCode = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
  backend->Finish();
  return exitCode;
}
