#include "sim/sim_run.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "app/save_points.h"
#include "app/shell.h"
#include "game/game_vars.h"
#include "game/play_frame.h"
#include "platform/backend.h"
#include "platform/file_places.h"
#include "platform/headless/headless_backend.h"
#include "sim/frame_record.h"
#include "sim/frame_schedule.h"
#include "sim/png_writer.h"
#include "sim/sim_recording.h"
#include "sim/sim_script.h"
#include "sim/sim_trace.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

struct ActiveRun {
  platform::HeadlessBackend* backend = nullptr;
  TraceWriter trace;
  std::string tracePath;
  bool outputFailed = false;  // the trace or a capture could not be written
  std::optional<FrameSchedule> schedule;
  fs::path framesDir;
  std::uint32_t lastCaptureTime = 0;  // captures stop here when --until ends the run
};

// The game's hooks are plain function pointers, so they reach the run
// through here. Null outside RunSimulation.
ActiveRun* activeRun = nullptr;

void Refuse(const std::string& message) { std::fprintf(stderr, "chompo-sim: %s\n", message.c_str()); }

// Output that cannot be written ends the run through the window's close, so
// the best score is still saved; the exit status then says what failed.
void OutputFailed(ActiveRun& run, const std::string& message) {
  if (!run.outputFailed) {
    run.outputFailed = true;
    std::fprintf(stderr, "chompo-sim: %s; the run ends\n", message.c_str());
    run.backend->RequestClose();
  }
}

void WriteTrace(ActiveRun& run, const std::string& line) {
  if (!run.trace.Write(line)) {
    OutputFailed(run, "cannot write the trace " + run.tracePath + ": " + run.trace.error());
  }
}

void OnStateChange(std::int32_t from, std::int32_t to) {
  SaveAtGameEvents(from, to);
  if (activeRun != nullptr) {
    WriteTrace(*activeRun, StateLine(activeRun->backend->now(), from, to));
  }
}

void OnPlayFrame(std::uint32_t gateTime, const FrameKeys& keys) {
  if (activeRun != nullptr) {
    WriteTrace(*activeRun, FrameLine(RecordPlayFrame(gateTime, keys)));
  }
}

void WriteCapture(ActiveRun& run, std::uint32_t time) {
  const platform::HeadlessBackend& backend = *run.backend;
  const fs::path path = run.framesDir / FrameFileName(time);
  if (backend.lastFrame().empty()) {
    std::fprintf(stderr, "chompo-sim: nothing presented yet at %u ms, %s not written\n",
                 static_cast<unsigned>(time), path.filename().c_str());
    return;
  }
  const std::vector<std::uint8_t> png =
      EncodePng(backend.frameWidth(), backend.frameHeight(),
                PixelsToRgb(backend.lastFrame().data(), backend.frameWidth(), backend.frameHeight(),
                            backend.frameIs565()));
  std::string reason = "the picture cannot be encoded";
  if (png.empty() || !WriteFileWhole(path.string(), png, reason)) {
    OutputFailed(run, "cannot write " + path.string() + ": " + reason);
  }
}

// The picture on screen at time m is the last one presented before the
// clock reached m, so captures are taken at the first platform call made
// at m or later.
void CaptureDue(ActiveRun& run, std::uint64_t upTo) {
  if (!run.schedule) {
    return;
  }
  std::uint32_t time = 0;
  while (!run.outputFailed && run.schedule->TakeDue(upTo, time)) {
    WriteCapture(run, time);
  }
}

// Failures first: output that could not be written, then a best score that
// could not be saved, then how the run ended.
int ExitStatus(const ActiveRun& run, int code) {
  if (run.outputFailed) {
    return kOutputFailedExitCode;
  }
  return BestScoreSaveFailed() ? kBestScoreNotSavedExitCode : code;
}

// The last captures and the exit line, however the run ends. Returns the
// run's exit status.
int FinishRun(ActiveRun& run, int code) {
  code = SessionEnded(code, false);
  CaptureDue(run, run.backend->elapsed());
  if (run.trace.IsOpen()) {
    WriteTrace(run, ExitLine(run.backend->now(), ExitStatus(run, code)));
    if (!run.trace.Close()) {
      OutputFailed(run, "cannot write the trace " + run.tracePath + ": " + run.trace.error());
    }
  }
  return ExitStatus(run, code);
}

[[noreturn]] void EndRun(int code) {
  const int status = FinishRun(*activeRun, code);
  std::fflush(nullptr);
  std::_Exit(status);
}

void OnDeadline() {
  // The game is somewhere inside a step; ending here, without unwinding or
  // destroying its objects, is what a deadline means.
  if (activeRun != nullptr) {
    EndRun(kUntilExitCode);
  }
}

// The platform ends the program itself when a close had to be answered
// from inside a screen; the trace still gets its last line.
void OnEndProcess(int code) {
  if (activeRun != nullptr) {
    EndRun(code);
  }
}

bool ResolvePath(const std::string& given, fs::path& resolved, const char* what) {
  std::error_code error;
  resolved = fs::absolute(given, error);
  if (error) {
    Refuse(std::string("cannot resolve the ") + what + " path " + given + ": " + error.message());
    return false;
  }
  return true;
}

}  // namespace

int RunSimulation(const SimOptions& options) {
  // Everything that can be refused is checked before anything runs or any
  // file is touched.
  ScriptResult script;
  script.ok = true;
  if (!options.scriptPath.empty()) {
    script = ReadScriptFile(options.scriptPath);
    if (!script.ok) {
      Refuse(script.error);
      return kRefusedExitCode;
    }
  }
  fs::path tracePath;
  fs::path framesDir;
  if ((!options.tracePath.empty() && !ResolvePath(options.tracePath, tracePath, "trace")) ||
      (!options.framesDir.empty() && !ResolvePath(options.framesDir, framesDir, "frames"))) {
    return kRefusedExitCode;
  }
  // The same folders as the game's: data found as it finds them, the best
  // score in the player's own folder (tests point XDG_DATA_HOME elsewhere).
  const platform::DataFolderSearch search =
      platform::FindDataFolder(options.dataDir, options.installedDataDirs);
  if (!search.found) {
    std::string searched;
    for (const std::string& folder : search.searched) searched += (searched.empty() ? "" : ", ") + folder;
    Refuse("no data folder (looked in: " + searched + ")");
    return kRefusedExitCode;
  }
  if (!PrepareSession(options, *search.found)) {
    return kRefusedExitCode;
  }
  const std::optional<std::string> stateDir = platform::UserDataFolder();
  if (!stateDir) {
    Refuse("neither XDG_DATA_HOME nor HOME names a folder for the best score");
    return kRefusedExitCode;
  }
  std::error_code error;

  auto run = std::make_unique<ActiveRun>();
  if (!framesDir.empty()) {
    fs::create_directories(framesDir, error);
    if (!fs::is_directory(framesDir, error)) {
      Refuse("cannot create the frames folder " + framesDir.string());
      return kRefusedExitCode;
    }
    run->framesDir = framesDir;
    run->schedule.emplace(options.frameAt, options.frameEvery);
  }
  run->tracePath = tracePath.string();
  if (!tracePath.empty() && !run->trace.Open(run->tracePath)) {
    Refuse("cannot write the trace " + run->tracePath + ": " + run->trace.error());
    return kRefusedExitCode;
  }
  platform::SetDataFolder(*search.found);
  platform::SetStateFolder(*stateDir);

  // The back end must outlive the game's global objects, whose destructors
  // still talk to the platform at exit, so it is never deleted.
  platform::HeadlessOptions backendOptions;
  backendOptions.clockStart = SessionClockStart(options);
  // Only captures read the presented picture; copying it on every flip
  // would cost a tenth of a play run.
  backendOptions.keepLastFrame = run->schedule.has_value();
  // An interrupted run ends as a closed window does: best score saved,
  // exit line written.
  backendOptions.quitOnSignals = true;
  auto* backend = new platform::HeadlessBackend(backendOptions);
  platform::ResetCore();
  platform::Backend* gameBackend = SessionBackend(*backend);
  if (gameBackend == nullptr) {
    return kRefusedExitCode;
  }
  platform::SetBackend(gameBackend);
  backend->AddEvents(script.events);
  run->backend = backend;
  activeRun = run.get();

  gameStateWatcher = OnStateChange;
  playFrameWatcher = OnPlayFrame;
  if (options.hasUntil) {
    backend->SetDeadline(options.untilMs, OnDeadline);
  }
  backend->SetEndWatcher(OnEndProcess);
  if (run->schedule) {
    backend->SetCallWatcher([] {
      if (activeRun != nullptr) {
        CaptureDue(*activeRun, activeRun->backend->elapsed());
      }
    });
  }

  char commandLine[] = "";
  const int code = SessionEnded(WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT), true);

  const int status = FinishRun(*run, code);
  gameStateWatcher = nullptr;
  playFrameWatcher = nullptr;
  backend->SetCallWatcher({});
  backend->SetEndWatcher({});
  activeRun = nullptr;
  return status;
}

}  // namespace sim
