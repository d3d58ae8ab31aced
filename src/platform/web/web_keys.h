// Our virtual-key numbering for the browser's keyboard events, and the
// chord the page keeps for itself.
#pragma once

#include <string_view>

namespace platform {

// The virtual-key code the game sees for a key event's `key` and `code`
// values, or -1 when the game has no name for it. Letters and digits follow
// the keyboard layout (`key`), as the Windows codes do; every other key is
// named by its place on the keyboard (`code`).
int VirtualKeyFromDom(std::string_view key, std::string_view code);

// Keys whose default action the page must not take while the game has the
// keyboard: the arrows and Space scroll it.
bool PageWouldScroll(std::string_view code);

// Alt+Enter switches between full screen and the page, as on the desktop,
// and never reaches the game.
bool IsFullScreenChord(std::string_view code, bool alt);

}  // namespace platform
