// Helpers for the data tests: reading the built files and running the data
// tools as the build does.
#pragma once

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/files.h"
#include "support/temp_folder.h"

namespace datatest {

using support::Bytes;
using support::ReadBytes;
using support::TempFolder;
using support::WriteText;

inline std::string DataFile(const std::string& name) { return std::string(CHOMPO_DATA_DIR) + "/" + name; }
inline std::string ToolPath(const std::string& folder, const std::string& tool) {
  return std::string(CHOMPO_BINARY_DIR) + "/tools/" + folder + "/" + tool;
}

// Little-endian unsigned value of `size` bytes.
inline std::uint32_t Le(const Bytes& bytes, std::size_t at, int size = 4) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
  return value;
}
inline std::int32_t I32(const Bytes& bytes, std::size_t at) {
  return static_cast<std::int32_t>(Le(bytes, at));
}

struct ToolRun {
  int status = -1;     // exit status, -1 when the tool did not run to an exit
  std::string output;  // standard output and error together
};

inline ToolRun RunTool(const std::string& command) {
  ToolRun run;
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  const int raw = pclose(pipe);
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  return run;
}

}  // namespace datatest
