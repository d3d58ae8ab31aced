// The program players run: the game on the SDL back end.
#include "app/shell.h"
#include "platform/backend.h"
#include "platform/sdl/sdl_backend.h"

int main() {
  // Never deleted: the game's global objects are destroyed after main
  // returns and may still reach the platform on their way out.
  auto* backend = new platform::SdlBackend();
  platform::SetBackend(backend);
  char commandLine[] = "";
  const int exitCode = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
  backend->Shutdown();
  return exitCode;
}
