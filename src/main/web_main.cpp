// The program the browser runs: the game on the web back end, its data
// files packed into the page's file system, its best score kept by the
// browser.
#include <sys/stat.h>

#include "app/shell.h"
#include "platform/backend.h"
#include "platform/file_places.h"
#include "platform/web/web_backend.h"

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
  char commandLine[] = "";
  const int exitCode = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
  backend->Finish();
  return exitCode;
}
