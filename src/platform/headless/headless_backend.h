// The back end of the tests and the simulation runner: no window and no
// device. Input comes from a script with virtual times, presented frames
// stay in memory, sound calls can be recorded and the playing buffers can be
// mixed into an in-memory stream. Nothing it keeps grows with the length of
// a run unless asked for (recordSoundCalls, mixAudio).
//
// The virtual clock is a contract the tests rely on. It moves only:
//  - by n at Sleep(n);
//  - by 1 ms at each PeekMessageA that finds no message;
//  - by 1 ms at each Flip;
//  - at WaitMessage (and a GetMessageA that finds the queue empty), to the
//    time of the next scripted event; with no event left, to the deadline
//    if one is pending, otherwise by 1 ms, so a wait never hangs;
//  - in a loop that does nothing but read the clock, by 1 ms after
//    kIdleReadsPerMs consecutive readings with no other platform call
//    between them;
//  - by Advance(n), which tests call directly.
// So every reading inside one pass of a game loop returns the same value
// unless the pass sleeps. A scripted event takes effect when the clock
// reaches its time: due events are applied as the clock moves and at every
// pump, in script order.
//
// With a pause gate (HeadlessOptions::pauseAllowed), P and Pause pause the
// game as the SDL back end's pause keys do: the clock the game reads stands
// still, the game gets WM_ACTIVATE 0, mixed audio is silence that keeps
// every voice where it was, and the same key resumes. Such a press, and
// every event after it, waits for the next pump, where a real back end reads
// its input, so a pause never begins inside a screen or a sleep.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/pause_clock.h"

namespace platform {

struct ScriptEvent {
  enum class Kind { Press, Release, Activate, Deactivate, Close };
  std::uint32_t time;  // virtual ms since the run began (since clockStart)
  Kind kind;
  int virtualKey;  // Press and Release only
};

struct RecordedSoundCall {
  std::uint32_t time;  // clock reading when the call was made
  SoundCall call;
};

struct HeadlessOptions {
  std::uint32_t clockStart = 0x10000;
  bool use555 = false;
  int pitchPaddingBytes = 0;
  bool soundDevice = true;  // false: DirectSoundCreate fails, as on a machine without one
  bool mixAudio = false;    // mix the playing buffers into audio() as time passes
  int audioRate = 44100;
  bool displayModeFails = false;
  bool windowFails = false;       // CreateWindowExA returns no window
  bool keepLastFrame = true;      // false: Present copies nothing, lastFrame() stays empty
  bool recordSoundCalls = false;  // keep every sound call for soundCalls()
  // SIGINT, SIGTERM and SIGHUP close the window (platform/quit_signals.h)
  // for as long as the back end lives.
  bool quitOnSignals = false;
  // Whether a pause may begin now (the program says: during play); empty:
  // P and Pause are ordinary keys.
  std::function<bool()> pauseAllowed{};
};

class HeadlessBackend : public Backend {
 public:
  static constexpr std::uint32_t kIdleReadsPerMs = 1000;

  explicit HeadlessBackend(HeadlessOptions options = {});
  ~HeadlessBackend() override;
  HeadlessBackend(const HeadlessBackend&) = delete;
  HeadlessBackend& operator=(const HeadlessBackend&) = delete;

  // Script: events sorted by time (stable for equal times). Events whose
  // time has already passed take effect at the next pump or clock move.
  void AddEvents(const std::vector<ScriptEvent>& events);
  void AddEvent(const ScriptEvent& event);

  // Called once, when the clock first reaches clockStart + ms (the runner's
  // --until); the run is then ended by the callback. A Sleep that spans the
  // deadline stops there for the call and, if the callback returns, goes on.
  void SetDeadline(std::uint32_t ms, std::function<void()> onDeadline);
  // Called on every Present with the frame and the clock reading.
  void SetPresentWatcher(std::function<void(const FrameView&, std::uint32_t)> watcher);
  // Called on every platform call (the runner polls gameState there).
  void SetCallWatcher(std::function<void()> watcher);
  // Called by EndProcess with the exit code before the process ends.
  void SetEndWatcher(std::function<void(int)> watcher);
  // Closes the window at the next pump or clock move, as a scripted close
  // would (safe from anywhere, watchers included).
  void RequestClose() { closeRequested_ = true; }

  // The back end's own clock, which runs on through a pause; the game reads
  // gameNow().
  std::uint32_t now() const { return clock_; }
  std::uint32_t elapsed() const { return clock_ - options_.clockStart; }
  std::uint32_t gameNow() const { return pause_.GameTime(clock_); }
  bool paused() const { return pause_.paused(); }
  const HeadlessOptions& options() const { return options_; }

  // The last presented picture, width x height pixels without row padding
  // (empty before the first Present).
  const std::vector<std::uint16_t>& lastFrame() const { return lastFrame_; }
  // Throws std::out_of_range when no such pixel was kept.
  std::uint16_t FramePixel(int x, int y) const {
    return lastFrame_.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(frameWidth_) +
                         static_cast<std::size_t>(x));
  }
  int frameWidth() const { return frameWidth_; }
  int frameHeight() const { return frameHeight_; }
  bool frameIs565() const { return frameIs565_; }
  std::uint32_t presentCount() const { return presentCount_; }

  // Every sound call since the start (recordSoundCalls only).
  const std::vector<RecordedSoundCall>& soundCalls() const { return soundCalls_; }
  // Interleaved stereo 16-bit samples at options().audioRate, from the first
  // OpenAudio on (mixAudio only); silence is kept flowing after CloseAudio so
  // sample n always belongs to audioStartTime() + n / rate.
  const std::vector<std::int16_t>& audio() const { return audio_; }
  std::uint32_t audioStartTime() const { return audioStart_; }
  bool audioOpen() const { return mixer_ != nullptr; }

  bool windowExists() const { return windowExists_; }
  const std::string& windowTitle() const { return windowTitle_; }
  bool windowShown() const { return windowShown_; }
  bool cursorHidden() const { return cursorHidden_; }
  int displayWidth() const { return displayWidth_; }
  int displayHeight() const { return displayHeight_; }

  // Backend.
  CHOMPO_BACKEND_CALLS;
  std::uint32_t ReadClockQuietly() override { return gameNow(); }
  [[noreturn]] void EndProcess(int exitCode) override;
  bool Use555() const override { return options_.use555; }
  int PitchPaddingBytes() const override { return options_.pitchPaddingBytes; }
  void RecordSoundCall(const SoundCall& call) override;

  // Moves the virtual clock by ms, applying due events, firing the deadline
  // and mixing audio.
  void Advance(std::uint32_t ms);

 private:
  void NoteCall() override;
  void KeepFrame(const FrameView& frame);
  void MoveClock(std::uint32_t ms);
  // Outside a pump a pause key and what follows it wait.
  void ApplyDueEvents(bool pumping);
  bool DeadlinePending() const { return hasDeadline_ && !deadlineFired_; }

  HeadlessOptions options_;
  std::uint32_t clock_;
  std::uint32_t idleReads_ = 0;
  // CallCount() at the last clock reading.
  std::uint64_t callsAtLastRead_ = 0;
  bool moving_ = false;              // inside Advance: clock reads made there are not idle reads
  std::vector<ScriptEvent> events_;  // not yet applied, sorted by time
  std::size_t nextEvent_ = 0;
  PauseClock pause_;
  std::array<bool, 256> pressSwallowed_{};  // a pause key whose release is the pause's too
  std::uint32_t deadline_ = 0;
  bool hasDeadline_ = false;
  bool deadlineFired_ = false;
  bool closeRequested_ = false;
  std::function<void()> onDeadline_;
  std::function<void(const FrameView&, std::uint32_t)> presentWatcher_;
  std::function<void()> callWatcher_;
  std::function<void(int)> endWatcher_;
  std::vector<std::uint16_t> lastFrame_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool frameIs565_ = true;
  std::uint32_t presentCount_ = 0;
  std::vector<RecordedSoundCall> soundCalls_;
  std::vector<std::int16_t> audio_;
  Mixer* mixer_ = nullptr;
  bool audioStarted_ = false;
  std::uint32_t audioStart_ = 0;
  std::uint64_t audioMs_ = 0;  // virtual ms since audioStart_ that audio_ covers
  bool windowExists_ = false;
  std::string windowTitle_;
  bool windowShown_ = false;
  bool cursorHidden_ = false;
  int displayWidth_ = 0;
  int displayHeight_ = 0;
};

// Virtual-key code for a script key name, in any letter case: LEFT, RIGHT,
// UP, DOWN, SPACE, ESCAPE, RETURN, F1..F12, A..Z, 0..9; -1 when unknown.
int VirtualKeyFromName(const std::string& name);

}  // namespace platform
