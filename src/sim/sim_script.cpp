#include "sim/sim_script.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/sim_options.h"

namespace sim {

namespace {

using Kind = platform::ScriptEvent::Kind;

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) != 0) {
      ++i;
    }
    const std::size_t start = i;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) == 0) {
      ++i;
    }
    if (i > start) {
      words.emplace_back(line.substr(start, i - start));
    }
  }
  return words;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return text;
}

bool ActionKind(const std::string& action, Kind& kind, bool& needsKey) {
  static constexpr struct {
    const char* name;
    Kind kind;
    bool needsKey;
  } kActions[] = {
      {"press", Kind::Press, true},        {"release", Kind::Release, true},
      {"activate", Kind::Activate, false}, {"deactivate", Kind::Deactivate, false},
      {"close", Kind::Close, false},
  };
  for (const auto& entry : kActions) {
    if (action == entry.name) {
      kind = entry.kind;
      needsKey = entry.needsKey;
      return true;
    }
  }
  return false;
}

// Empty when the line is good.
std::string ParseLine(std::string_view line, bool& isEvent, platform::ScriptEvent& event) {
  isEvent = false;
  const std::size_t hash = line.find('#');
  if (hash != std::string_view::npos) {
    line = line.substr(0, hash);
  }
  const std::vector<std::string> words = SplitWords(line);
  if (words.empty()) {
    return {};
  }
  // Times are plain decimal milliseconds: a sign or a hex prefix is more
  // likely a slip than a wish.
  for (char c : words[0]) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
      return "time '" + ShownToken(words[0]) + "' is not a whole number of milliseconds";
    }
  }
  std::uint32_t time = 0;
  if (!ParseUnsigned32(words[0], time)) {
    return "time '" + ShownToken(words[0]) + "' is above 4294967295";
  }
  if (words.size() < 2) {
    return "an action must follow the time";
  }
  Kind kind = Kind::Press;
  bool needsKey = false;
  if (!ActionKind(Lower(words[1]), kind, needsKey)) {
    return "unknown action '" + ShownToken(words[1]) + "' (press, release, activate, deactivate, close)";
  }
  int virtualKey = 0;
  if (needsKey) {
    if (words.size() < 3) {
      return "'" + words[1] + "' needs a key";
    }
    virtualKey = platform::VirtualKeyFromName(Upper(words[2]));
    if (virtualKey < 0) {
      return "unknown key '" + ShownToken(words[2]) +
             "' (LEFT RIGHT UP DOWN SPACE ESCAPE F1-F12 RETURN A-Z 0-9)";
    }
    if (words.size() > 3) {
      return "unexpected '" + ShownToken(words[3]) + "' after the key";
    }
  } else if (words.size() > 2) {
    return "'" + words[1] + "' takes no key, found '" + ShownToken(words[2]) + "'";
  }
  isEvent = true;
  event = platform::ScriptEvent{time, kind, virtualKey};
  return {};
}

}  // namespace

ScriptResult ParseScript(std::string_view text) {
  ScriptResult result;
  int lineNumber = 0;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    ++lineNumber;
    bool isEvent = false;
    platform::ScriptEvent event{};
    const std::string error = ParseLine(text.substr(begin, end - begin), isEvent, event);
    if (!error.empty()) {
      result.events.clear();
      result.errorLine = lineNumber;
      result.error = "line " + std::to_string(lineNumber) + ": " + error;
      return result;
    }
    if (isEvent) {
      result.events.push_back(event);
    }
    begin = end + 1;
  }
  result.ok = true;
  return result;
}

ScriptResult ReadScriptFile(const std::string& path) {
  ScriptResult result;
  // Looked at before it is opened: a FIFO would block, and a folder reads
  // as an empty script.
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) {
    result.error = "cannot read the script " + path + ": " + error.message();
    return result;
  }
  if (!std::filesystem::is_regular_file(status)) {
    result.error = "the script " + path + " is not a regular file";
    return result;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    result.error = "cannot read the script " + path;
    return result;
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  result = ParseScript(contents.str());
  if (!result.ok) {
    result.error = path + ": " + result.error;
  }
  return result;
}

}  // namespace sim
