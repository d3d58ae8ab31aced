#include "sim/sim_recording.h"

#include <optional>

#include "platform/replay/session.h"

namespace sim {
namespace {

static_assert(kReplayEndedExitCode == platform::replay::kExitReplayEnded);
static_assert(kReplayMismatchExitCode == platform::replay::kExitReplayMismatch);

std::optional<platform::replay::Session> session;

}  // namespace

bool PrepareSession(const SimOptions& options, const std::string& dataDir) {
  session.emplace("chompo-sim", options.recordPath, options.demoPath);
  return session->Prepare(dataDir, options.dataFileNames);
}

std::uint32_t SessionClockStart(const SimOptions& options) {
  return session ? session->StartClock(options.clockStart) : options.clockStart;
}

platform::Backend* SessionBackend(platform::HeadlessBackend& backend) {
  if (!session) return &backend;
  platform::replay::ReplayOptions replayOptions;
  // The run's clock follows the recording's, so the trace and the pictures
  // are stamped as the recorded run's were.
  replayOptions.onClock = [&backend](std::uint32_t clock) {
    const auto ahead = static_cast<std::int32_t>(clock - backend.now());
    if (ahead > 0) backend.Advance(static_cast<std::uint32_t>(ahead));
  };
  return session->Wrap(backend, platform::replay::Source::Runner, std::move(replayOptions));
}

int SessionEnded(int code, bool gameReturned) { return session ? session->Ended(code, gameReturned) : code; }

}  // namespace sim
