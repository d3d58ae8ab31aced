// The window and display a benchmark draws into, on the headless back end.
#pragma once

#include "game/globals.h"
#include "platform/win32.h"

namespace bench {

inline LRESULT QuietWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Registers the class, creates the window and sets up the display on it.
inline HWND OpenBenchWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &QuietWindowProc;
  wc.lpszClassName = "ChompoBench";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "ChompoBench", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                nullptr, nullptr, nullptr);
  display.InitFullScreen(window, 320, 240, 16);
  return window;
}

}  // namespace bench
