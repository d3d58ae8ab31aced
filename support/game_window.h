// The window and the full-screen 320 x 240 x 16 display the game draws on,
// made as start-up makes them, on whatever back end is in place.
#pragma once

#include "platform/win32.h"

namespace support {

// A 320 x 240 window of the one window class, its messages going to
// procedure; nullptr when the back end has none.
HWND OpenWindow(WNDPROC procedure = DefWindowProcA);
// Sets up the game's global display on a new window.
HWND OpenGameWindow();

}  // namespace support
