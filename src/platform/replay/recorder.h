// Records a session: a back end put between the game and any other back end,
// forwarding every call and writing down, in call order, every value that
// reached the game from outside. The file takes what it has at least once a
// second of the session's clock, and at once when the program crashes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/input_tap.h"
#include "platform/replay/recording_format.h"

namespace platform::replay {

class RecordingBackend final : public Backend, private InputTap {
 public:
  // Creates the file and writes its header (the start clock is the inner
  // back end's clock now); ok() is false, with the reason, when it cannot.
  RecordingBackend(Backend& inner, const std::string& path, Header header);
  ~RecordingBackend() override;
  RecordingBackend(const RecordingBackend&) = delete;
  RecordingBackend& operator=(const RecordingBackend&) = delete;

  bool ok() const { return fd_ >= 0 || finished_; }
  const std::string& error() const { return error_; }
  // Puts the recorder in charge of the posted input and the best score
  // read, and of the file on a crash. Call once the recorder is the
  // current back end.
  void Start();
  // The session ended with this status, as `ending` says: the last item,
  // and the file is closed. Later calls are forwarded unrecorded.
  void Finish(int exitCode, Item::Ending ending);
  bool finished() const { return finished_; }

  CHOMPO_BACKEND_CALLS;
  CHOMPO_BACKEND_DEFAULTED_CALLS;

 private:
  // What the recorder keeps while it runs; const calls write through it.
  struct Session;
  class CallScope;

  void Add(const Item& item) const;
  void AddClock(Item::Kind kind, std::uint32_t clock) const;
  void AddResult(Call call, std::int32_t value) const;
  void NoteClockAfter();
  // A call passed on to the inner back end inside its scope; Answered also
  // records what it answered, Waited the clock after it.
  template <class Pass>
  void Passed(Call call, Pass pass) const;
  template <class Pass>
  auto Answered(Call call, Pass pass) const;
  template <class Pass>
  void Waited(Call call, Pass pass);
  // The writer is done: a crash signal that came meanwhile is taken now.
  void AfterWrite() const;
  void NoteCall() override;
  bool Posting(const PostedInput& input) override;
  std::int32_t ScoreRead(std::int32_t stored) override;
  static void OnCrash(int signal);

  Backend& inner_;
  std::unique_ptr<Session> session_;
  mutable int fd_ = -1;  // closed for good when a write fails
  bool finished_ = false;
  std::string error_;
};

}  // namespace platform::replay
