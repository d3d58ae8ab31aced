// The browser back end's parts that need no browser: the game's key codes
// for the page's key events, and the canvas's bytes for the game's pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/web/web_keys.h"
#include "platform/web/web_pixels.h"

namespace platform {
namespace {

TEST(WebKeys, EventsGetTheGamesCodesAndOthersNone) {
  struct Case {
    std::string_view key;
    std::string_view code;
    int virtualKey;
  };
  const Case cases[] = {
      {"ArrowLeft", "ArrowLeft", 0x25},
      {"ArrowUp", "ArrowUp", 0x26},
      {"ArrowRight", "ArrowRight", 0x27},
      {"ArrowDown", "ArrowDown", 0x28},
      {" ", "Space", 0x20},
      {"Escape", "Escape", 0x1B},
      {"Enter", "NumpadEnter", 0x0D},
      {"F1", "F1", 0x70},
      {"F12", "F12", 0x7B},
      {"F13", "F13", -1},
      {"F", "F", 'F'},  // a letter key, not a function key
      {"Alt", "AltLeft", -1},
      {"CapsLock", "CapsLock", -1},
      {"Unidentified", "", -1},
      // Letters and digits follow the layout: "q" where a QWERTY keyboard has its A.
      {"q", "KeyA", 'Q'},
      {"Q", "KeyQ", 'Q'},
      {"7", "Digit7", '7'},
      {"é", "Digit2", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(VirtualKeyFromDom(c.key, c.code), c.virtualKey) << c.code;
}

TEST(WebKeys, OnlyArrowsAndSpaceAreKeptFromThePageAndOnlyAltEnterTogglesFullScreen) {
  for (const std::string_view code : {"ArrowLeft", "ArrowUp", "ArrowRight", "ArrowDown", "Space"}) {
    EXPECT_TRUE(PageWouldScroll(code)) << code;
  }
  for (const std::string_view code : {"Escape", "F12", "F5", "Tab", "KeyA"})
    EXPECT_FALSE(PageWouldScroll(code)) << code;
  EXPECT_TRUE(IsFullScreenChord("Enter", true));
  EXPECT_TRUE(IsFullScreenChord("NumpadEnter", true));
  EXPECT_FALSE(IsFullScreenChord("Enter", false));
  EXPECT_FALSE(IsFullScreenChord("Space", true));
}

TEST(WebPixels, RowsBecomeRedGreenBlueOpaqueBytesInEitherFormat) {
  struct Case {
    bool is565;
    std::vector<std::uint16_t> pixels;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {true,
       {0xFFFF, 0x0000, 0xF800, 0x07E0, 0x001F, 0x0821},
       {255, 255, 255, 255, 0, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 8, 4, 8, 255}},
      // Bit 15 is no part of a 5-5-5 colour.
      {false, {0x7FFF, 0x8000, 0x7C00, 0x03E0, 0x001F, 0xC210}, {255, 255, 255, 255, 0,   0,   0,   255,
                                                                 255, 0,   0,   255, 0,   255, 0,   255,
                                                                 0,   0,   255, 255, 132, 132, 132, 255}},
  };
  auto* expander = new RgbaPixels();  // its table is too large for the stack
  // Each format twice, alternating: a table built for one never serves the other.
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      std::vector<std::uint8_t> out(c.bytes.size() + 4, 0xAB);
      expander->ExpandRow(c.pixels.data(), out.data(), static_cast<int>(c.pixels.size()), c.is565);
      EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.end() - 4), c.bytes) << c.is565 << round;
      EXPECT_EQ(out.back(), 0xAB) << "wrote past the row";
    }
  }
  delete expander;
}

}  // namespace
}  // namespace platform
