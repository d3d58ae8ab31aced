// How one fuzz input carries both stage files: a byte with the stage to
// start (signed, so 0 and negative stages are tried too), the script file,
// a separator line, then the map file. Without the separator there is no
// map file at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace stageinput {

inline constexpr std::string_view kSeparator = "\n=== StageData.map ===\n";

struct Parts {
  std::int32_t stage = 1;
  std::string_view script;
  std::string_view map;
  bool hasMap = false;
};

inline Parts Split(std::string_view input) {
  Parts parts;
  if (input.empty()) {
    return parts;
  }
  parts.stage = static_cast<std::int8_t>(input[0]);
  input.remove_prefix(1);
  const std::size_t separator = input.find(kSeparator);
  parts.script = input.substr(0, separator);
  if (separator != std::string_view::npos) {
    parts.map = input.substr(separator + kSeparator.size());
    parts.hasMap = true;
  }
  return parts;
}

inline std::string Join(std::int8_t stage, std::string_view script, std::string_view map) {
  std::string input(1, static_cast<char>(stage));
  input.append(script);
  input.append(kSeparator);
  input.append(map);
  return input;
}

}  // namespace stageinput
