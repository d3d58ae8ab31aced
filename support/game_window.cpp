#include "support/game_window.h"

#include "game/globals.h"

namespace support {

HWND OpenGameWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "ChompoSupport";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "ChompoSupport", "", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                                nullptr, nullptr);
  display.InitFullScreen(window, 320, 240, 16);
  return window;
}

}  // namespace support
