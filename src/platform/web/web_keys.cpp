#include "platform/web/web_keys.h"

#include <array>
#include <utility>

#include "platform/win32.h"

namespace platform {
namespace {

constexpr std::array<std::pair<std::string_view, int>, 14> kNamedKeys{{
    {"ArrowLeft", VK_LEFT},
    {"ArrowUp", VK_UP},
    {"ArrowRight", VK_RIGHT},
    {"ArrowDown", VK_DOWN},
    {"Space", VK_SPACE},
    {"Escape", VK_ESCAPE},
    {"Enter", VK_RETURN},
    {"NumpadEnter", VK_RETURN},
    {"Backspace", VK_BACK},
    {"Tab", VK_TAB},
    {"ShiftLeft", VK_SHIFT},
    {"ShiftRight", VK_SHIFT},
    {"ControlLeft", VK_CONTROL},
    {"ControlRight", VK_CONTROL},
}};

// F1 to F12; F13 and up have no code the game knows.
int FunctionKey(std::string_view code) {
  if (code.size() < 2 || code.size() > 3 || code[0] != 'F') return -1;
  int number = 0;
  for (const char digit : code.substr(1)) {
    if (digit < '0' || digit > '9') return -1;
    number = number * 10 + (digit - '0');
  }
  return number >= 1 && number <= 12 ? VK_F1 + number - 1 : -1;
}

}  // namespace

int VirtualKeyFromDom(std::string_view key, std::string_view code) {
  if (key.size() == 1) {
    const char c = key[0];
    if (c >= 'a' && c <= 'z') return 'A' + (c - 'a');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
  }
  for (const auto& [name, virtualKey] : kNamedKeys) {
    if (name == code) return virtualKey;
  }
  // Alt arrives on Windows as a system key, never as WM_KEYDOWN, so it has
  // no code here either.
  return FunctionKey(code);
}

bool PageWouldScroll(std::string_view code) {
  return code == "ArrowLeft" || code == "ArrowUp" || code == "ArrowRight" || code == "ArrowDown" ||
         code == "Space";
}

bool IsFullScreenChord(std::string_view code, bool alt) {
  return alt && (code == "Enter" || code == "NumpadEnter");
}

}  // namespace platform
