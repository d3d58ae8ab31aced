// What runs chompo-sim as a child process needs: a throw-away folder whose
// data folder holds the built game's pictures, sounds and font and stages
// drawn as text, and a way to start a program and wait for its exit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace support {

// A stage drawn as 18 rows of 20 cells: '#' wall, ' ' floor, '.' small dot,
// 'o' large dot, '*' a small dot on a wall (counted, never eaten, so the
// stage never ends), 'P' the player's start, '0' to '3' the ghosts'.
using StageRows = std::vector<std::string>;

// "StageData.map" and "StageData.scp" in dir, in the game's byte format.
// Returns what is wrong with the stages or the writing, one line each; ""
// when nothing is.
std::string WriteStageFiles(const std::string& dir, const std::vector<StageRows>& stages);

// The built chompo-sim.
std::string SimProgram();

// Runs argv (argv[0] looked up on PATH) and waits for it. errorsPath, when
// given, gets its standard error; its standard output is then dropped.
// Returns its exit code, 128 + the signal that ended it, or -1 when it could
// not be started.
int RunProgram(const std::vector<std::string>& argv, const std::string& errorsPath = "");
// The same in two steps. fileSizeLimit, when given, is the most bytes the
// program may write to any file, as if the disk were full beyond it.
// StartProgram gives the child's process id, or -1.
int StartProgram(const std::vector<std::string>& argv, const std::string& errorsPath = "",
                 std::optional<std::uint64_t> fileSizeLimit = std::nullopt);
int WaitProgram(int child);

class SimFolder {
 public:
  explicit SimFolder(const std::vector<StageRows>& stages);

  // What went wrong while making the folder; "" when it is ready.
  const std::string& error() const { return error_; }
  const std::string& root() const { return folder_.path(); }
  std::string dataDir() const { return root() + "/data"; }
  std::string framesDir() const { return root() + "/frames"; }
  // The player's own folders ($XDG_DATA_HOME, $XDG_CONFIG_HOME) for runs
  // started by Command, and the best score's file in them.
  std::string userHome() const { return root() + "/home"; }
  std::string scorePath() const { return userHome() + "/data/chompo/HighScore.sco"; }
  // chompo-sim with args, its per-user folders inside this one.
  std::vector<std::string> Command(const std::vector<std::string>& args) const;

 private:
  std::error_code madeError_;
  TempFolder folder_;
  std::string error_;
};

}  // namespace support
