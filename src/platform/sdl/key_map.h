// Our own virtual-key numbering for SDL's key codes, the player's key
// bindings over it, and the one chord the back end keeps for itself.
#pragma once

#include <SDL_keyboard.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/settings_file.h"

namespace platform {

// The virtual-key code the game sees for an SDL key, or -1 when the game has
// no name for it. Letters and digits follow the keyboard layout, as the
// Windows codes do.
int VirtualKeyFromSdl(SDL_Keycode key);

// Alt+Enter switches between full screen and a window and never reaches the game.
bool IsFullScreenToggle(const SDL_Keysym& keysym);

// What the back end does itself for a key or button.
enum class Command { None, Pause, Mute, VolumeDown, VolumeUp, FullScreen };

// What one key does: the virtual key the game gets (-1: none), and the back
// end's own command, if any. A command the back end carries out takes the
// key; one it declines (a pause outside play) leaves it to the game.
struct KeyBinding {
  int virtualKey = -1;
  Command command = Command::None;
};

class KeyBindings {
 public:
  // The defaults of the settings file.
  KeyBindings();
  // From the settings' key names. An action naming a key SDL does not know
  // gets its default keys, in settings too, and one line in warnings
  // (source names the file).
  KeyBindings(Settings& settings, const std::string& source, std::vector<std::string>& warnings);

  // The actions' keys act as the game's left, right, up, down, Space and Esc
  // (F12 bound to quit stays F12, as the game tells them apart). The keys
  // the game reacts to (arrows, Space, Esc, F12) do only what a binding
  // says; every other key keeps its own code.
  KeyBinding Lookup(SDL_Keycode key) const;

 private:
  std::vector<std::pair<SDL_Keycode, KeyAction>> bound_;  // in the order of the actions
};

}  // namespace platform
