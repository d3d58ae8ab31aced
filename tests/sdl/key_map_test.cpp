// The virtual-key codes the game sees for SDL's keys, the player's
// bindings over them, and Alt+Enter.
#include "platform/sdl/key_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {
namespace {

TEST(SdlKeyMap, KeysGetTheGamesCodesAndOthersNone) {
  const std::pair<SDL_Keycode, int> keys[] = {
      {SDLK_LEFT, 0x25},   {SDLK_UP, 0x26},
      {SDLK_RIGHT, 0x27},  {SDLK_DOWN, 0x28},
      {SDLK_SPACE, 0x20},  {SDLK_ESCAPE, 0x1B},
      {SDLK_RETURN, 0x0D}, {SDLK_KP_ENTER, 0x0D},
      {SDLK_F1, 0x70},     {SDLK_F11, 0x7A},
      {SDLK_F12, 0x7B},    {SDLK_LALT, -1},
      {SDLK_CAPSLOCK, -1}, {SDLK_F13, -1},
      {SDLK_UNKNOWN, -1},  {'A', -1}};  // not a key code of SDL's: must not alias the letter
  for (const auto& [key, code] : keys) EXPECT_EQ(VirtualKeyFromSdl(key), code) << key;
  // SDL names letters in lower case; the game's codes are the upper-case ones.
  for (int i = 0; i < 26; ++i) EXPECT_EQ(VirtualKeyFromSdl(SDLK_a + i), 'A' + i) << i;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(VirtualKeyFromSdl(SDLK_0 + i), '0' + i) << i;
}

TEST(SdlKeyMap, OnlyAltWithEnterTogglesFullScreen) {
  const auto toggles = [](SDL_Keycode key, Uint16 mod) {
    return IsFullScreenToggle(SDL_Keysym{{}, key, mod, 0});
  };
  EXPECT_TRUE(toggles(SDLK_RETURN, KMOD_LALT));
  EXPECT_TRUE(toggles(SDLK_KP_ENTER, KMOD_RALT | KMOD_NUM));
  EXPECT_FALSE(toggles(SDLK_RETURN, KMOD_NONE));
  EXPECT_FALSE(toggles(SDLK_RETURN, KMOD_LCTRL | KMOD_LSHIFT));
  EXPECT_FALSE(toggles(SDLK_SPACE, KMOD_LALT));
}

TEST(SdlKeyMap, BindingsFollowTheSettingsAndAnActionNamingAnUnknownKeyKeepsItsDefaults) {
  Settings settings = DefaultSettings();
  settings.Keys(KeyAction::Left) = {"a", "Left"};
  settings.Keys(KeyAction::Right) = {"D"};
  settings.Keys(KeyAction::Up) = {"W", "Lfet"};
  settings.Keys(KeyAction::Start) = {"Return", "P"};
  settings.Keys(KeyAction::Quit) = {"Q", "F12"};
  settings.Keys(KeyAction::Mute) = {};
  std::vector<std::string> warnings;
  const KeyBindings keys(settings, "s.ini", warnings);
  EXPECT_EQ(warnings, std::vector<std::string>{"s.ini: [keys] up: no key is called 'Lfet': using Up"});
  EXPECT_EQ(settings.Keys(KeyAction::Up), std::vector<std::string>{"Up"}) << "what is used is what is kept";
  const struct {
    SDL_Keycode key;
    int virtualKey;
    Command command;
  } cases[] = {
      {SDLK_a, VK_LEFT, Command::None},
      {SDLK_LEFT, VK_LEFT, Command::None},
      {SDLK_d, VK_RIGHT, Command::None},
      {SDLK_RIGHT, -1, Command::None},  // the game's keys follow bindings only
      {SDLK_w, 'W', Command::None},
      {SDLK_UP, VK_UP, Command::None},
      {SDLK_RETURN, VK_SPACE, Command::None},
      {SDLK_SPACE, -1, Command::None},
      {SDLK_q, VK_ESCAPE, Command::None},
      {SDLK_F12, VK_F12, Command::None},
      {SDLK_ESCAPE, -1, Command::None},
      {SDLK_p, VK_SPACE, Command::Pause},  // declined: Space
      {SDLK_PAUSE, -1, Command::Pause},
      {SDLK_m, 'M', Command::None},
      {SDLK_MINUS, -1, Command::VolumeDown},
      {SDLK_EQUALS, -1, Command::VolumeUp},
      {SDLK_b, 'B', Command::None},
  };
  for (const auto& c : cases) {
    const KeyBinding binding = keys.Lookup(c.key);
    EXPECT_EQ(binding.virtualKey, c.virtualKey) << SDL_GetKeyName(c.key);
    EXPECT_EQ(binding.command, c.command) << SDL_GetKeyName(c.key);
  }
  const KeyBindings defaults;
  for (const SDL_Keycode key : {SDLK_LEFT, SDLK_SPACE, SDLK_ESCAPE, SDLK_F12, SDLK_a}) {
    EXPECT_EQ(defaults.Lookup(key).virtualKey, VirtualKeyFromSdl(key))
        << "by default every key keeps its code";
  }
  EXPECT_EQ(defaults.Lookup(SDLK_m).command, Command::Mute);
}

}  // namespace
}  // namespace platform
