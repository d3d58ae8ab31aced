// The window and the full-screen 320 x 240 x 16 display the game draws on,
// made as start-up makes them, on whatever back end is in place.
#pragma once

#include "platform/win32.h"

namespace support {

// Sets up the game's global display on the new window.
HWND OpenGameWindow();

}  // namespace support
