// Replays a recording: a back end that hands the game the recorded values
// in the recorded order and passes pictures and sound on to an output back
// end (the SDL window, or the runner's headless one). Live input from the
// output is held back; only its close ends the replay. The first call the
// recording did not expect ends the program with a message saying where.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/input_tap.h"
#include "platform/replay/recording_format.h"

namespace platform::replay {

// Exit statuses of a replay that could not be played to its end.
inline constexpr int kExitReplayEnded = 3;      // the recording stops before the game did
inline constexpr int kExitReplayMismatch = 65;  // the game and the recording went different ways

struct Recording {
  Header header;
  std::vector<std::uint8_t> bytes;  // the whole file
  std::size_t bodyOffset = 0;
};

// Reads the file and its header; false with the reason when it cannot.
bool LoadRecording(const std::string& path, Recording& recording, std::string& error);
// Why a recording cannot be replayed on this data set; "" when it can.
std::string DataSetRefusal(const Header& header, std::uint64_t dataChecksum);

struct ReplayOptions {
  std::string programName = "chompo";  // starts every message
  // Hand out each clock reading no sooner, in real time, than it came in the
  // recording (the window); otherwise as fast as the game asks.
  bool paced = false;
  // Told every clock reading the session reaches (the runner moves its own
  // virtual clock along).
  std::function<void(std::uint32_t)> onClock;
};

class ReplayBackend final : public Backend, private InputTap {
 public:
  ReplayBackend(Backend& output, Recording recording, ReplayOptions options);
  ReplayBackend(const ReplayBackend&) = delete;
  ReplayBackend& operator=(const ReplayBackend&) = delete;

  // Takes charge of posted input and the best score read. Call once the
  // replayer is the current back end.
  void Start();
  // The game returned exitCode: the recording must end here too. Returns
  // exitCode, or (after saying why) kExitReplayMismatch or kExitReplayEnded.
  int Finish(int exitCode);
  // The replay is over (finished, stopped or ended as recorded).
  bool over() const;
  // The last clock reading the replay reached.
  std::uint32_t now() const;

  CHOMPO_BACKEND_CALLS;
  CHOMPO_BACKEND_DEFAULTED_CALLS;

 private:
  // Everything the replay keeps; const calls reach it too.
  class Session;
  class CallScope;

  // A call that lets time pass: replayed, the clock moves as recorded;
  // after the recording, live() makes it on the output.
  template <class Pass>
  void Waited(Call call, Pass live);
  void NoteCall() override;
  bool Posting(const PostedInput& input) override;
  std::int32_t ScoreRead(std::int32_t stored) override;

  Backend& output_;
  std::unique_ptr<Session> session_;
};

}  // namespace platform::replay
