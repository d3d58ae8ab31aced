// The player's settings file: INI sections of "name = value" lines, read at
// start and rewritten whole, atomically, when a setting changes. Nothing in
// it can stop the game: an entry that cannot be used keeps its default and
// gets one warning line.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What keys can be bound to, in the order of the [keys] section.
enum class KeyAction { Left, Right, Up, Down, Start, Quit, Pause, Mute, VolumeDown, VolumeUp };
inline constexpr std::size_t kKeyActionCount = 10;
// The name in the file: "left", "volume_down"...
const char* KeyActionName(KeyAction action);

inline constexpr int kMaxVolume = 10;  // tenths
inline constexpr int kMaxScale = 16;

struct Settings {
  bool fullScreen = true;
  int scale = 3;  // the window's size in picture sizes; 0: the largest that fits
  int volume = kMaxVolume;
  bool muted = false;
  // Key names per action, as the file wrote them (SDL's names: "Left",
  // "Space", "F12", "P"); an empty list binds no key.
  std::array<std::vector<std::string>, kKeyActionCount> keys;

  const std::vector<std::string>& Keys(KeyAction action) const {
    return keys[static_cast<std::size_t>(action)];
  }
  std::vector<std::string>& Keys(KeyAction action) { return keys[static_cast<std::size_t>(action)]; }
};

// The game's own keys, plus P and Pause to pause, M to mute, - and = for the volume.
Settings DefaultSettings();

struct SettingsRead {
  Settings settings;
  std::vector<std::string> warnings;  // one line each, "FILE:LINE: what: using what"
};

// fileName only labels the warnings.
SettingsRead ParseSettings(std::string_view text, const std::string& fileName);
std::string FormatSettings(const Settings& settings);

// A missing file gives the defaults without a warning.
SettingsRead ReadSettingsFile(const std::string& path);
// Makes the folder if needed, writes a temporary file beside the old one,
// flushes it to disk and renames it over; false, with the reason, when it
// cannot (the old file is then untouched). A symbolic link is followed, so
// the file it leads to is the one replaced.
bool WriteSettingsFile(const std::string& path, const Settings& settings, std::string& reason);

}  // namespace platform
