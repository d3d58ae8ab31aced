// The player's command line: read before anything else starts, so --help
// and --version work without a display.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "main/argument_reader.h"

namespace entry {

// Exit statuses of chompo, after the BSD sysexits names.
inline constexpr int kExitReplayEnded = 3;      // --play: the recording stops before the game did
inline constexpr int kExitUsage = 64;           // a bad command line
inline constexpr int kExitReplayMismatch = 65;  // --play: the game left the recording, or it was refused
inline constexpr int kExitNoData = 66;          // no data folder, or a data file missing or unreadable
inline constexpr int kExitNoDisplay = 69;       // no display to open the window on
inline constexpr int kExitCannotRecord = 73;    // --record: the file cannot be written

struct CommandLine {
  bool help = false;
  bool version = false;
  std::string dataDir;             // empty: search
  std::optional<bool> fullScreen;  // unset: the saved choice, else full screen
  std::optional<int> scale;        // 0: the largest whole number that fits
  std::string recordPath;          // --record: empty, none
  std::string playPath;            // --play: empty, none
};

using CommandLineResult = ParsedOptions<CommandLine>;

// args excludes the program name. "--name VALUE" and "--name=VALUE" both work.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace entry
