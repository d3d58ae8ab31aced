// The back end of the tests and the simulation runner: no window and no
// device. Input comes from a script with virtual times, presented frames
// stay in memory, sound calls are recorded and the playing buffers can be
// mixed into an in-memory stream.
//
// The virtual clock is a contract the tests rely on. It moves only:
//  - by n at Sleep(n);
//  - by 1 ms at each PeekMessageA that finds no message;
//  - by 1 ms at each Flip;
//  - at WaitMessage, to the time of the next scripted event;
//  - in a loop that does nothing but read the clock, by 1 ms after
//    kIdleReadsPerMs consecutive readings with no other platform call
//    between them.
// So every reading inside one pass of a game loop returns the same value
// unless the pass sleeps. A scripted event takes effect when the clock
// reaches its time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace platform {

struct ScriptEvent {
  enum class Kind { Press, Release, Activate, Deactivate, Close };
  std::uint32_t time;  // virtual ms since the run began
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
};

class HeadlessBackend : public Backend {
 public:
  static constexpr std::uint32_t kIdleReadsPerMs = 1000;

  explicit HeadlessBackend(HeadlessOptions options = {});

  // Script: events sorted by time (stable for equal times).
  void AddEvents(const std::vector<ScriptEvent>& events);
  void AddEvent(const ScriptEvent& event);

  // Called once when the clock first passes clockStart + ms (the runner's
  // --until); the run is then ended by the callback.
  void SetDeadline(std::uint32_t ms, std::function<void()> onDeadline);
  // Called on every Present with the frame and the clock reading.
  void SetPresentWatcher(std::function<void(const FrameView&, std::uint32_t)> watcher);
  // Called on every platform call (the runner polls gameState there).
  void SetCallWatcher(std::function<void()> watcher);

  std::uint32_t now() const { return clock_; }
  std::uint32_t elapsed() const { return clock_ - options_.clockStart; }
  const HeadlessOptions& options() const { return options_; }

  // The last presented picture (empty before the first Present).
  const std::vector<std::uint16_t>& lastFrame() const { return lastFrame_; }
  int frameWidth() const { return frameWidth_; }
  int frameHeight() const { return frameHeight_; }
  bool frameIs565() const { return frameIs565_; }
  std::uint32_t presentCount() const { return presentCount_; }

  const std::vector<RecordedSoundCall>& soundCalls() const { return soundCalls_; }
  // Interleaved stereo 16-bit samples at options().audioRate, from the first
  // OpenAudio on (mixAudio only).
  const std::vector<std::int16_t>& audio() const { return audio_; }
  bool windowShown() const { return windowShown_; }
  bool cursorHidden() const { return cursorHidden_; }

  // Backend.
  std::uint32_t ReadClock() override;
  void Sleep(std::uint32_t milliseconds) override;
  void PumpEvents() override;
  void WaitForEvents() override;
  void Idle() override;
  void NoteCall() override;
  bool CreateGameWindow(const char* title, int width, int height) override;
  void ShowGameWindow() override;
  void DestroyGameWindow() override;
  void SetCursorHidden(bool hidden) override;
  bool SetDisplayMode(int width, int height, int bitsPerPixel) override;
  bool Use555() const override { return options_.use555; }
  int PitchPaddingBytes() const override { return options_.pitchPaddingBytes; }
  void Present(const FrameView& frame) override;
  bool OpenAudio(Mixer& mixer) override;
  void CloseAudio() override;
  void RecordSoundCall(const SoundCall& call) override;

  // Moves the virtual clock by ms, applying due events and mixing audio.
  void Advance(std::uint32_t ms);

 private:
  HeadlessOptions options_;
  std::uint32_t clock_;
  std::uint32_t idleReads_ = 0;
  std::vector<ScriptEvent> events_;
  std::size_t nextEvent_ = 0;
  std::uint32_t deadline_ = 0;
  bool hasDeadline_ = false;
  std::function<void()> onDeadline_;
  std::function<void(const FrameView&, std::uint32_t)> presentWatcher_;
  std::function<void()> callWatcher_;
  std::vector<std::uint16_t> lastFrame_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool frameIs565_ = true;
  std::uint32_t presentCount_ = 0;
  std::vector<RecordedSoundCall> soundCalls_;
  std::vector<std::int16_t> audio_;
  Mixer* mixer_ = nullptr;
  bool windowShown_ = false;
  bool cursorHidden_ = false;
};

// Virtual-key code for a script key name (LEFT, RIGHT, UP, DOWN, SPACE,
// ESCAPE, F12, RETURN, A..Z, 0..9); -1 when unknown.
int VirtualKeyFromName(const std::string& name);

}  // namespace platform
