// Our own virtual-key numbering for SDL's key codes, and the one chord the
// back end keeps for itself.
#pragma once

#include <SDL_keyboard.h>

namespace platform {

// The virtual-key code the game sees for an SDL key, or -1 when the game has
// no name for it. Letters and digits follow the keyboard layout, as the
// Windows codes do.
int VirtualKeyFromSdl(SDL_Keycode key);

// Alt+Enter switches between full screen and a window and never reaches the game.
bool IsFullScreenToggle(const SDL_Keysym& keysym);

}  // namespace platform
