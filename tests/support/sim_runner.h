// Runs chompo-sim as a child process in a throw-away workspace: a data
// folder with the built game's pictures, sounds and font and the test's own
// stages, the script, the trace and the captured pictures beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/sim_json.h"
#include "support/sim_png.h"
#include "support/sim_stages.h"

namespace testsupport {

inline constexpr std::uint32_t kDefaultClockStart = 0x10000;

struct StateChange {
  std::uint32_t time;  // virtual ms since the run began
  int from;
  int to;
};

struct SimRun {
  int exitCode = -1;  // 128 + signal when the runner was killed
  std::string errors;  // what it wrote to stderr
  std::uint32_t clockStart = kDefaultClockStart;
  std::vector<JsonValue> trace;

  std::vector<const JsonValue*> Lines(const std::string& event) const;
  std::vector<const JsonValue*> Frames() const { return Lines("frame"); }
  std::vector<StateChange> States() const;
  // Virtual ms since the run began for a line's "t" (or any clock reading).
  std::uint32_t Elapsed(std::int64_t clockReading) const {
    return static_cast<std::uint32_t>(clockReading) - clockStart;
  }
  std::uint32_t Elapsed(const JsonValue& line) const { return Elapsed(line["t"].Int()); }
};

class SimWorkspace {
 public:
  explicit SimWorkspace(const std::vector<TestStage>& stages);
  ~SimWorkspace();
  SimWorkspace(const SimWorkspace&) = delete;
  SimWorkspace& operator=(const SimWorkspace&) = delete;

  const std::string& root() const { return root_; }
  std::string dataDir() const { return root_ + "/data"; }
  std::string framesDir() const { return root_ + "/frames"; }
  // Whether the built data folder had the game's pictures to copy.
  bool hasGamePictures() const { return hasGamePictures_; }

  void WriteHighScore(std::int32_t value) const;
  std::optional<std::int32_t> ReadHighScore() const;
  void RemoveHighScore() const;

  // Runs with --data, --script (this text) and --trace set, plus extra.
  // The child is killed after timeoutSeconds of real time.
  SimRun Run(const std::string& script, const std::vector<std::string>& extra, int timeoutSeconds = 120) const;

  // A captured picture, by virtual ms; fails the test when unreadable.
  RgbImage Frame(std::uint32_t elapsedMs) const;

 private:
  std::string root_;
  bool hasGamePictures_ = false;
};

// Path of the chompo-sim program of this build.
std::string ChompoSimPath();

// Runs chompo-sim with exactly these arguments; stderr goes to errors.
int RunChompoSimRaw(const std::vector<std::string>& args, std::string& errors, int timeoutSeconds = 120);

std::vector<JsonValue> ReadTraceFile(const std::string& path);

}  // namespace testsupport
