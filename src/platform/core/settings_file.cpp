#include "platform/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/core/file_writing.h"
#include "platform/file_places.h"

namespace platform {
namespace {

// Far more than any settings file; a larger one is not ours.
constexpr std::size_t kLargestFile = 64 * 1024;
constexpr std::size_t kShownValue = 40;

constexpr const char* kActionNames[kKeyActionCount] = {"left", "right", "up",   "down",        "start",
                                                       "quit", "pause", "mute", "volume_down", "volume_up"};

enum class Section { None, Display, Audio, Keys, Unknown };

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// A piece of the file fit for a warning line: short, with no control characters.
std::string Shown(std::string_view text) {
  std::string shown(text.substr(0, kShownValue));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text.size() > kShownValue ? shown + "..." : shown;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

const char* BoolText(bool value) { return value ? "true" : "false"; }

bool ParseBool(std::string_view value, bool& out) {
  const std::string lower = Lower(value);
  if (lower != "true" && lower != "false") return false;
  out = lower == "true";
  return true;
}

bool ParseWhole(std::string_view value, int lowest, int highest, int& out) {
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < lowest || number > highest) {
    return false;
  }
  out = number;
  return true;
}

// Names separated by commas; false when one of them is empty.
bool ParseKeyNames(std::string_view value, std::vector<std::string>& out) {
  std::vector<std::string> names;
  if (!value.empty()) {
    for (;;) {
      const std::size_t comma = value.find(',');
      const std::string_view name = Trim(value.substr(0, comma));
      if (name.empty()) return false;
      names.emplace_back(name);
      if (comma == std::string_view::npos) break;
      value.remove_prefix(comma + 1);
    }
  }
  out = std::move(names);
  return true;
}

}  // namespace

const char* KeyActionName(KeyAction action) { return kActionNames[static_cast<std::size_t>(action)]; }

Settings DefaultSettings() {
  Settings settings;
  settings.Keys(KeyAction::Left) = {"Left"};
  settings.Keys(KeyAction::Right) = {"Right"};
  settings.Keys(KeyAction::Up) = {"Up"};
  settings.Keys(KeyAction::Down) = {"Down"};
  settings.Keys(KeyAction::Start) = {"Space"};
  settings.Keys(KeyAction::Quit) = {"Escape", "F12"};
  settings.Keys(KeyAction::Pause) = {"P", "Pause"};
  settings.Keys(KeyAction::Mute) = {"M"};
  settings.Keys(KeyAction::VolumeDown) = {"-"};
  settings.Keys(KeyAction::VolumeUp) = {"="};
  return settings;
}

SettingsRead ParseSettings(std::string_view text, const std::string& fileName) {
  const Settings defaults = DefaultSettings();
  SettingsRead read{defaults, {}};
  Settings& settings = read.settings;
  Section section = Section::None;
  int lineNumber = 0;
  const auto warn = [&](const std::string& what) {
    read.warnings.push_back(fileName + ":" + std::to_string(lineNumber) + ": " + what);
  };
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::string name = line.back() == ']' ? Lower(Trim(line.substr(1, line.size() - 2))) : "";
      section = name == "display" ? Section::Display
                : name == "audio" ? Section::Audio
                : name == "keys"  ? Section::Keys
                                  : Section::Unknown;
      if (section == Section::Unknown) warn("unknown section " + Shown(line) + ": its lines are ignored");
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      warn("'" + Shown(line) + "' is not a section or a name = value line: ignored");
      continue;
    }
    if (section == Section::Unknown) continue;
    const std::string name = Lower(Trim(line.substr(0, equals)));
    const std::string_view value = Trim(line.substr(equals + 1));
    const std::string entry = Shown(name) + " = " + Shown(value);
    const auto useDefault = [&](const char* problem, const std::string& fallback) {
      warn(entry + ": " + problem + ": using " + (fallback.empty() ? "no key" : fallback));
    };
    bool known = true;
    if (section == Section::Display && name == "fullscreen") {
      if (!ParseBool(value, settings.fullScreen)) {
        settings.fullScreen = defaults.fullScreen;
        useDefault("not true or false", BoolText(defaults.fullScreen));
      }
    } else if (section == Section::Display && name == "scale") {
      if (!ParseWhole(value, 0, kMaxScale, settings.scale)) {
        settings.scale = defaults.scale;
        useDefault("not a whole number from 0 to 16", std::to_string(defaults.scale));
      }
    } else if (section == Section::Audio && name == "volume") {
      if (!ParseWhole(value, 0, kMaxVolume, settings.volume)) {
        settings.volume = defaults.volume;
        useDefault("not a whole number from 0 to 10", std::to_string(defaults.volume));
      }
    } else if (section == Section::Audio && name == "muted") {
      if (!ParseBool(value, settings.muted)) {
        settings.muted = defaults.muted;
        useDefault("not true or false", BoolText(defaults.muted));
      }
    } else if (section == Section::Keys) {
      known = false;
      for (std::size_t i = 0; i < kKeyActionCount; ++i) {
        if (name != kActionNames[i]) continue;
        known = true;
        if (!ParseKeyNames(value, settings.keys[i])) {
          settings.keys[i] = defaults.keys[i];
          useDefault("a key name is empty", Joined(defaults.keys[i]));
        }
      }
    } else {
      known = false;
    }
    if (!known) {
      warn("no setting '" + Shown(name) + "' " +
           (section == Section::None      ? std::string("outside the sections")
            : section == Section::Display ? "in [display]"
            : section == Section::Audio   ? "in [audio]"
                                          : "in [keys]") +
           ": ignored");
    }
  }
  return read;
}

std::string FormatSettings(const Settings& settings) {
  std::string text =
      "# Chompo's settings, rewritten by the game when one changes.\n"
      "# Keys take SDL's key names, several separated by commas.\n"
      "[display]\n";
  text += std::string("fullscreen = ") + BoolText(settings.fullScreen) + "\n";
  text += "scale = " + std::to_string(settings.scale) + "\n\n[audio]\n";
  text += "volume = " + std::to_string(settings.volume) + "\n";
  text += std::string("muted = ") + BoolText(settings.muted) + "\n\n[keys]\n";
  for (std::size_t i = 0; i < kKeyActionCount; ++i) {
    text += std::string(kActionNames[i]) + " = " + Joined(settings.keys[i]) + "\n";
  }
  return text;
}

SettingsRead ReadSettingsFile(const std::string& path) {
  SettingsRead read{DefaultSettings(), {}};
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno != ENOENT) read.warnings.push_back(path + ": " + std::strerror(errno) + ": using the defaults");
    return read;
  }
  struct stat status {};
  std::string text;
  const char* problem = nullptr;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    problem = "not a regular file";
  } else if (static_cast<std::size_t>(status.st_size) > kLargestFile) {
    problem = "larger than 64 KiB";
  } else {
    text.resize(kLargestFile + 1);
    std::size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) problem = "cannot be read";
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got > kLargestFile) problem = "larger than 64 KiB";
    text.resize(got);
  }
  ::close(fd);
  if (problem != nullptr) {
    read.warnings.push_back(path + ": " + problem + ": using the defaults");
    return read;
  }
  return ParseSettings(text, path);
}

bool WriteSettingsFile(const std::string& path, const Settings& settings, std::string& reason) {
  std::string target = path;
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  if (!MakeFolders(FolderOf(target), reason)) return false;
  const std::string text = FormatSettings(settings);
  if (ReplaceWhole(FolderOf(target), target, text.data(), text.size(), NewFileMode(), reason)) return true;
  reason = target + ": " + reason;
  return false;
}

}  // namespace platform
