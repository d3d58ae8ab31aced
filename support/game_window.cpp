#include "support/game_window.h"

#include "game/globals.h"

namespace support {

HWND OpenWindow(WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.lpszClassName = "ChompoSupport";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "ChompoSupport", "Chompo", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                         nullptr, nullptr);
}

HWND OpenGameWindow() {
  HWND window = OpenWindow();
  display.InitFullScreen(window, 320, 240, 16);
  return window;
}

}  // namespace support
