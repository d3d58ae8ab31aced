// The command line of chompo-sim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "main/argument_reader.h"

namespace sim {

// Every refusal before the run starts (bad option, malformed script,
// unreadable data folder, unwritable trace) exits with this code.
inline constexpr int kRefusedExitCode = 64;
// --until reached before the game ended.
inline constexpr int kUntilExitCode = 2;
// The trace or a captured picture could not be written: the run was ended.
inline constexpr int kOutputFailedExitCode = 73;

struct SimOptions {
  std::string dataDir;                         // empty: searched as the game searches
  std::vector<std::string> installedDataDirs;  // where the installed game keeps its data
  std::string scriptPath;                      // empty: no input at all
  bool hasUntil = false;
  std::uint32_t untilMs = 0;
  std::uint32_t clockStart = 0x10000;
  std::string tracePath;                   // empty: no trace
  std::string framesDir;                   // empty: no pictures
  std::vector<std::uint32_t> frameAt;      // virtual ms, as given
  std::uint32_t frameEvery = 0;            // 0: off
  std::string recordPath;                  // empty: no recording
  std::string demoPath;                    // empty: input from the script
  std::vector<std::string> dataFileNames;  // what the data-set checksum covers
  bool help = false;
};

using OptionsResult = entry::ParsedOptions<SimOptions>;

// args excludes the program name. Both "--name VALUE" and "--name=VALUE"
// are accepted; --frame-at may be given more than once.
OptionsResult ParseOptions(const std::vector<std::string>& args);

std::string UsageText();

// A word of the command line or the script as messages quote it.
using entry::ShownToken;

// A decimal number, or hexadecimal with 0x; false when it is not a whole
// number from 0 to 2^32 - 1.
bool ParseUnsigned32(const std::string& text, std::uint32_t& value);

}  // namespace sim
