// The input script: one event a line, "TIME ACTION [KEY]", '#' starts a
// comment. A script with any malformed line is refused as a whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/headless_backend.h"

namespace sim {

struct ScriptResult {
  bool ok = false;
  std::vector<platform::ScriptEvent> events;  // in file order
  int errorLine = 0;                          // 1-based; 0 when the file itself failed
  std::string error;
};

ScriptResult ParseScript(std::string_view text);
ScriptResult ReadScriptFile(const std::string& path);

}  // namespace sim
