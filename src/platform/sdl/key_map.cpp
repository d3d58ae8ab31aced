#include "platform/sdl/key_map.h"

#include <utility>

#include "platform/win32.h"

namespace platform {
namespace {

// Keys whose meaning comes from the bindings alone, so that moving an action
// to another key takes it off the old one.
bool IsGameKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_LEFT:
    case SDLK_RIGHT:
    case SDLK_UP:
    case SDLK_DOWN:
    case SDLK_SPACE:
    case SDLK_ESCAPE:
    case SDLK_F12:
      return true;
    default:
      return false;
  }
}

std::vector<std::pair<SDL_Keycode, KeyAction>> Bind(Settings& settings, const std::string& source,
                                                    std::vector<std::string>* warnings) {
  const Settings defaults = DefaultSettings();
  std::vector<std::pair<SDL_Keycode, KeyAction>> bound;
  for (std::size_t i = 0; i < kKeyActionCount; ++i) {
    const auto action = static_cast<KeyAction>(i);
    std::vector<std::string>& names = settings.keys[i];
    for (const std::string& name : names) {
      if (SDL_GetKeyFromName(name.c_str()) != SDLK_UNKNOWN) continue;
      if (warnings != nullptr) {
        std::string fallback;
        for (const std::string& key : defaults.keys[i]) fallback += (fallback.empty() ? "" : ", ") + key;
        warnings->push_back(source + ": [keys] " + KeyActionName(action) + ": no key is called '" +
                            name.substr(0, 40) + "': using " + fallback);
      }
      names = defaults.keys[i];
      break;
    }
    for (const std::string& name : names) bound.emplace_back(SDL_GetKeyFromName(name.c_str()), action);
  }
  return bound;
}

}  // namespace

int VirtualKeyFromSdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  switch (key) {
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    // Alt arrives on Windows as a system key, never as WM_KEYDOWN.
    default:
      return -1;
  }
}

bool IsFullScreenToggle(const SDL_Keysym& keysym) {
  return (keysym.sym == SDLK_RETURN || keysym.sym == SDLK_KP_ENTER) && (keysym.mod & KMOD_ALT) != 0;
}

KeyBindings::KeyBindings() {
  Settings defaults = DefaultSettings();
  bound_ = Bind(defaults, "", nullptr);
}

KeyBindings::KeyBindings(Settings& settings, const std::string& source, std::vector<std::string>& warnings)
    : bound_(Bind(settings, source, &warnings)) {}

KeyBinding KeyBindings::Lookup(SDL_Keycode key) const {
  KeyBinding binding;
  bool forGame = false;
  for (const auto& [boundKey, action] : bound_) {
    if (boundKey != key) continue;
    // What each action means, in the order they are declared; Quit is the
    // game's Escape, or F12 when that is the key.
    static constexpr std::pair<int, Command> kMeanings[kKeyActionCount] = {
        {VK_LEFT, Command::None}, {VK_RIGHT, Command::None}, {VK_UP, Command::None},
        {VK_DOWN, Command::None}, {VK_SPACE, Command::None}, {VK_ESCAPE, Command::None},
        {-1, Command::Pause},     {-1, Command::Mute},       {-1, Command::VolumeDown},
        {-1, Command::VolumeUp}};
    auto [virtualKey, command] = kMeanings[static_cast<std::size_t>(action)];
    if (action == KeyAction::Quit && key == SDLK_F12) virtualKey = VK_F12;
    // The first action that names the key wins.
    if (virtualKey >= 0 && !forGame) {
      binding.virtualKey = virtualKey;
      forGame = true;
    }
    if (command != Command::None && binding.command == Command::None) binding.command = command;
  }
  if (!forGame && !IsGameKey(key)) binding.virtualKey = VirtualKeyFromSdl(key);
  return binding;
}

}  // namespace platform
