// The back end of the browser build: the picture on the page's canvas, the
// page's clock and keyboard, Web Audio pulling from the mixer, the best
// score in the browser's storage. The game's waits yield to the browser
// (the build uses Asyncify), so its busy loops never freeze the page.
// Its page-side half is page/page.js.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/backend.h"
#include "platform/web/web_pixels.h"

namespace platform {

class WebBackend final : public Backend {
 public:
  // The longest the game runs without giving the browser a turn when none
  // of its own waits comes (a loop that only reads the clock or the keys).
  static constexpr std::uint32_t kLongestBusyMs = 8;

  WebBackend();
  ~WebBackend() override;
  WebBackend(const WebBackend&) = delete;
  WebBackend& operator=(const WebBackend&) = delete;

  // Puts the files the browser keeps for the state folder back into it.
  void RestoreState();
  // The game has ended: the sound stops and the page thanks the player.
  void Finish();

  CHOMPO_BACKEND_CALLS;
  std::uint32_t ReadClockQuietly() override;

  void LockAudio() override { ++audioLocks_; }
  void UnlockAudio() override { --audioLocks_; }

  void StateWritten() override;
  [[noreturn]] void EndProcess(int exitCode) override;

  // Reached from the page, between the game's own turns.
  // Mixes frames of sound for the page: left then right, as floats.
  const float* MixForPage(int frames);
  void TouchKey(int virtualKey, bool down);
  // Draws the last presented picture if it is new; false once the game ended.
  bool Draw();
  void KeyEvent(bool down, const char* key, const char* code, bool repeat, bool alt, bool& handled);
  void FocusEvent(bool focused);
  void VisibilityEvent(bool visible);

 private:
  // Gives the browser a turn: timers, input, drawing and sound run, then
  // the game goes on. A wakeable wait ends early at the next input.
  void Yield(std::uint32_t milliseconds, bool wakeable = false);
  void YieldIfBusy();
  // Outside the game's own turn (an event, a sound request) nothing may yield.
  bool CanYield() const { return callbackDepth_ == 0 && audioLocks_ == 0 && running_; }
  void Posted();
  void UpdateActive();
  // Until the page's sound runs (browsers start it at the first key or
  // tap), playing sounds move on with the clock and are not heard, as they
  // would be on a machine whose speakers are off.
  void KeepSilentSoundMoving();

  friend struct CallbackScope;
  int callbackDepth_ = 0;
  int audioLocks_ = 0;
  bool running_ = true;
  double lastYield_ = 0;
  std::uint64_t posted_ = 0;

  bool windowOpen_ = false;
  bool focused_ = true;
  bool visible_ = true;
  bool active_ = true;
  bool checkActiveOnPump_ = false;

  std::vector<std::uint16_t> framePixels_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool frameIs565_ = true;
  bool frameDirty_ = false;
  std::vector<std::uint8_t> rgba_;
  RgbaPixels expander_;

  Mixer* mixer_ = nullptr;
  int audioRate_ = 0;
  double silentSince_ = 0;
  std::vector<std::int16_t> mixed_;
  std::vector<float> planar_;
};

}  // namespace platform
