// What a program does to record or replay its session: the recording read
// and checked against the data set before anything runs, the recorder or
// the replayer put over the program's back end, and the end of the session.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/replay/recorder.h"
#include "platform/replay/replayer.h"

namespace platform::replay {

class Session {
 public:
  // program starts every message.
  Session(std::string program, std::string recordPath, std::string replayPath);

  bool recording() const { return !recordPath_.empty(); }
  bool replaying() const { return !replayPath_.empty(); }
  // Before anything runs: the recording to replay is read and must come from
  // this data set. False after saying why on stderr.
  bool Prepare(const std::string& dataDir, const std::vector<std::string>& dataFileNames);
  // The recording's first clock reading when replaying, else `otherwise`.
  std::uint32_t StartClock(std::uint32_t otherwise) const;
  // The back end the game gets: `backend` itself, or the recorder or the
  // replayer over it (options.programName is set here). A replay reads and
  // writes no best score. nullptr after saying why when the recording
  // cannot be written.
  Backend* Wrap(Backend& backend, Source source, ReplayOptions options);
  // The session ends with code: the recording gets its end; a replay that
  // the game ended (gameReturned) must end there too. The exit status.
  int Ended(int code, bool gameReturned);

 private:
  std::string program_;
  std::string recordPath_;
  std::string replayPath_;
  std::uint64_t dataChecksum_ = 0;
  Recording recording_;
  // Never deleted, like the back ends they wrap: the game's globals reach
  // them after main.
  RecordingBackend* recorder_ = nullptr;
  ReplayBackend* replayer_ = nullptr;
};

}  // namespace platform::replay
