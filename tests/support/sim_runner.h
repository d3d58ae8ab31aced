// Runs chompo-sim as a child process in a throw-away workspace: a data
// folder with the built game's pictures, sounds and font and the test's own
// stages, the script, the trace and the captured pictures beside it; reads
// the trace and the pictures back.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/sim_folder.h"
#include "support/sim_png.h"

namespace testsupport {

using support::StageRows;

// One trace line (JSON objects, arrays, integers, null and plain strings,
// no spaces) flattened: "score", "keys.left", "ghosts.2.state" and so on,
// each to its text ("null" for null, strings without their quotes).
struct TraceLine {
  std::map<std::string, std::string> fields;

  std::int64_t Int(const std::string& path) const;  // 0 when missing or not a number
  std::string Str(const std::string& path) const;   // "" when missing
};

struct StateChange {
  std::uint32_t time;  // virtual ms since the run began
  int from;
  int to;
};

struct SimRun {
  int exitCode = -1;   // 128 + signal when the runner was killed
  std::string errors;  // what it wrote to stderr
  std::uint32_t clockStart = 0x10000;
  std::vector<TraceLine> trace;
  std::vector<std::string> lines;  // the trace as written
  std::vector<TraceLine> frames;   // the trace's frame lines
  std::vector<StateChange> states;
  // Virtual ms since the run began for a clock reading or a line's "t".
  std::uint32_t Elapsed(std::int64_t clockReading) const {
    return static_cast<std::uint32_t>(clockReading) - clockStart;
  }
  std::uint32_t Elapsed(const TraceLine& line) const { return Elapsed(line.Int("t")); }
};

// How a run is disturbed: a disk that fills up, a signal once it has run
// for a while.
struct Disturbance {
  std::optional<std::uint64_t> fileSizeLimit;  // bytes any file may reach (support::StartProgram)
  int signal = 0;                              // sent once the trace holds signalAfterBytes
  std::uint64_t signalAfterBytes = 0;
};

// A support::SimFolder whose runs and pictures are read back and checked.
class SimWorkspace {
 public:
  // Fails the test when the folder is not ready.
  explicit SimWorkspace(const std::vector<StageRows>& stages);

  const std::string& root() const { return folder_.root(); }
  std::string dataDir() const { return folder_.dataDir(); }
  std::string framesDir() const { return folder_.framesDir(); }

  // Where the runs keep the best score.
  std::string scorePath() const { return folder_.scorePath(); }
  void WriteHighScore(std::int32_t value) const;
  std::optional<std::int32_t> ReadHighScore() const;

  // Runs with exactly these arguments; no trace is read.
  SimRun RunRaw(const std::vector<std::string>& args, const Disturbance& disturbance = {}) const;
  // Runs with --data, --script (this text) and --trace set, plus extra.
  SimRun Run(const std::string& script, const std::vector<std::string>& extra,
             const Disturbance& disturbance = {}) const;
  // Replays the recording (--demo) with --data and --trace set, plus extra;
  // the recording's first clock reading is the run's start.
  SimRun Replay(const std::string& recording, const std::vector<std::string>& extra) const;
  // chompo-sim with args, as RunRaw starts it.
  std::vector<std::string> Command(const std::vector<std::string>& args) const {
    return folder_.Command(args);
  }
  // A captured picture, by virtual ms; fails the test when unreadable.
  RgbImage Frame(std::uint32_t elapsedMs) const;

 private:
  SimRun Traced(const std::vector<std::string>& args, std::uint32_t clockStart,
                const Disturbance& disturbance = {}) const;

  support::SimFolder folder_;
};

}  // namespace testsupport
