// The virtual-key codes the game sees for SDL's keys, and Alt+Enter.
#include "platform/sdl/key_map.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace platform
