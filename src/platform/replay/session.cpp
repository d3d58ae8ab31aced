#include "platform/replay/session.h"

#include <cstdio>
#include <utility>

#include "platform/file_places.h"

namespace platform::replay {

Session::Session(std::string program, std::string recordPath, std::string replayPath)
    : program_(std::move(program)), recordPath_(std::move(recordPath)), replayPath_(std::move(replayPath)) {}

bool Session::Prepare(const std::string& dataDir, const std::vector<std::string>& dataFileNames) {
  if (!recording() && !replaying()) return true;
  dataChecksum_ = DataSetChecksum(dataDir, dataFileNames);
  if (!replaying()) return true;
  std::string error;
  if (!LoadRecording(replayPath_, recording_, error)) {
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), error.c_str());
    return false;
  }
  const Header& header = recording_.header;
  const std::string refusal = DataSetRefusal(header, dataChecksum_);
  if (!refusal.empty()) {
    std::fprintf(stderr, "%s: %s: %s\n", program_.c_str(), replayPath_.c_str(), refusal.c_str());
    return false;
  }
  if (header.gameVersion != ThisGameVersion()) {
    std::fprintf(
        stderr, "%s: warning: %s was recorded by chompo %s, this is %s: the replay stops where they differ\n",
        program_.c_str(), replayPath_.c_str(), header.gameVersion.c_str(), ThisGameVersion());
  }
  return true;
}

std::uint32_t Session::StartClock(std::uint32_t otherwise) const {
  return replaying() ? recording_.header.startClock : otherwise;
}

Backend* Session::Wrap(Backend& backend, Source source, ReplayOptions options) {
  if (recording()) {
    Header header;
    header.source = source;
    header.dataChecksum = dataChecksum_;
    recorder_ = new RecordingBackend(backend, recordPath_, header);
    if (!recorder_->ok()) {
      std::fprintf(stderr, "%s: %s\n", program_.c_str(), recorder_->error().c_str());
      return nullptr;
    }
    recorder_->Start();
    return recorder_;
  }
  if (replaying()) {
    // The best score comes from the recording; a replay keeps none.
    SetStateFolder("");
    options.programName = program_;
    replayer_ = new ReplayBackend(backend, std::move(recording_), std::move(options));
    replayer_->Start();
    return replayer_;
  }
  return &backend;
}

int Session::Ended(int code, bool gameReturned) {
  if (recorder_ != nullptr)
    recorder_->Finish(code, gameReturned ? Item::Ending::Returned : Item::Ending::Outside);
  if (replayer_ != nullptr && gameReturned) return replayer_->Finish(code);
  return code;
}

}  // namespace platform::replay
