// The back end players get: one SDL window with the picture scaled by whole
// numbers, SDL's millisecond clock, keyboard, gamepad and focus events turned
// into window messages, and one audio device pulling from the mixer. It
// keeps the player's own controls: a pause during play, the volume and mute,
// and the switch between full screen and a window.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/pause_clock.h"
#include "platform/sdl/controls.h"
#include "platform/sdl/key_map.h"
#include "platform/sdl/tick_clock.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Rect;
union SDL_Event;

namespace platform {

// What the player chose.
struct SdlOptions {
  bool fullScreen = true;
  // The window's size in picture sizes; 0: the largest that fits the desktop.
  int windowScale = 3;
  int volume = 10;  // tenths
  bool muted = false;
  KeyBindings keys{};
  // Whether a pause may begin now (the game is in play); empty: the pause
  // keys are ordinary keys.
  std::function<bool()> pauseAllowed{};
  // More gamepad mappings, in SDL's gamecontrollerdb.txt format, read when
  // the file exists.
  std::string gamepadMappings{};
  // Told what the player changed during the run, to be remembered: the
  // window's state after Alt+Enter, the sound after a volume step or mute.
  std::function<void(bool fullScreen)> fullScreenChosen{};
  std::function<void(int volume, bool muted)> soundChosen{};
};

class SdlBackend final : public Backend {
 public:
  // Pictures presented closer together than this are not all drawn: the
  // newest is drawn once the gap has passed (play frames come every 17 ms).
  static constexpr std::uint32_t kMinRenderGapMs = 12;
  // A game that reads the clock this many times with no other call between
  // is only waiting for it to move: far more reads than any step makes.
  static constexpr std::uint32_t kSpinReads = 200;

  explicit SdlBackend(SdlOptions options = {});
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  // Closes the audio device and the window and shuts SDL down. The object
  // stays safe to call afterwards (the game's globals outlive main).
  void Shutdown();

  CHOMPO_BACKEND_CALLS;
  std::uint32_t ReadClockQuietly() override;
  // Shuts down as at the end of main first, so the desktop gets its screen
  // and sound back the same way.
  [[noreturn]] void EndProcess(int exitCode) override;

  void LockAudio() override;
  void UnlockAudio() override;

  // What Alt+Enter does.
  void ToggleFullScreen();
  bool fullScreen() const { return fullScreen_; }
  bool paused() const { return pause_.paused(); }
  int volume() const { return volume_; }
  bool muted() const { return muted_; }
  std::size_t gamepadCount() const { return controls_.gamepadCount(); }
  // The window could not open for want of a display (the reason is printed).
  bool noDisplay() const { return noDisplay_; }
  SDL_Window* window() const { return window_; }
  // True when the picture goes straight into the window's pixels, without
  // an SDL renderer (chosen when no graphics card would do the scaling).
  bool drawsIntoWindowSurface() const { return window_ != nullptr && renderer_ == nullptr; }
  int audioRate() const { return audioRate_; }

  // For tests: keep what each drawing put in the window (the whole output,
  // borders included, as 0xAARRGGBB) before it is shown.
  void SetCapture(bool on) { capture_ = on; }
  const std::vector<std::uint32_t>& captured() const { return captured_; }
  int capturedWidth() const { return capturedWidth_; }
  int capturedHeight() const { return capturedHeight_; }
  // Pictures actually drawn to the window.
  std::uint64_t renderCount() const { return renderCount_; }

 private:
  bool OpenWindow(const char* title, int width, int height);
  bool ChooseDrawing();
  void Dispatch(const SDL_Event& event);
  // A command of the player's; false when declined (a pause outside play).
  bool RunCommand(Command command);
  void TogglePause();
  void SetVolume(int volume, bool muted);
  // The picture to draw: the last presented one, dimmed while paused.
  const std::uint16_t* ShownPixels();
  void DrainQueue();
  void TakeSignals();
  void StartGamepadsWhenDue();
  // A line "<what> <monotonic ns> <value>" in the timing log, if one is kept.
  void NoteTiming(const char* what, long long value);
  // Draws the last presented picture: after each present (at most once per
  // kMinRenderGapMs), a resize or an expose.
  void Redraw();
  void RedrawIfDue();
  void DrawWithRenderer();
  void DrawIntoWindowSurface();
  void Capture(const std::uint32_t* pixels, int width, int height, int pitchBytes);
  static void AudioCallback(void* userdata, std::uint8_t* stream, int length);

  SdlOptions options_;
  bool running_ = false;
  bool noDisplay_ = false;
  bool toldNoSound_ = false;
  bool videoReady_ = false;
  bool audioReady_ = false;
  bool audioFailed_ = false;  // started, but no device opened
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;  // null: drawing into the window surface
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  int modeWidth_ = 320;
  int modeHeight_ = 240;
  bool fullScreen_ = false;
  bool cursorHidden_ = true;
  std::uint64_t posted_ = 0;      // Post* calls made, so WaitForEvents knows when to return
  bool gamepadsStarted_ = false;  // asked for: once a picture is shown, or at once without a window
  bool pictureShown_ = false;
  PauseClock pause_;
  Controls controls_;
  int volume_ = 10;
  bool muted_ = false;

  // The last presented picture, kept for redrawing.
  std::vector<std::uint16_t> framePixels_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool frameIs565_ = true;
  bool hasFrame_ = false;
  std::vector<std::uint16_t> dimPixels_;
  bool textureStale_ = false;  // the texture does not hold the picture yet
  // Drawing into the window surface redraws only the picture rows that
  // changed since the last drawing, unless everything must be redrawn.
  std::vector<std::uint8_t> rowChanged_;
  bool redrawAll_ = true;
  const void* lastSurface_ = nullptr;
  int lastSurfaceWidth_ = 0;
  int lastSurfaceHeight_ = 0;
  bool renderPending_ = false;  // a presented picture not drawn yet
  std::uint32_t lastRender_ = 0;
  TickClock clock_;
  // The newest reading the game was given or Idle returned at: Idle sleeps
  // past it. Readings, not times: the game's clock may stand paused.
  std::uint32_t seen_ = 0;
  std::uint32_t spinReads_ = 0;        // clock reads since the game's last other call
  std::uint64_t callsAtLastRead_ = 0;  // CallCount() then
  std::uint64_t callsAtLastIdle_ = 0;
  // The rhythm of the pictures: the reading each came at and the gap
  // between the last two, repeated this many times over.
  static constexpr std::uint32_t kSteadyPresents = 2;
  static constexpr std::uint32_t kShortestRhythmMs = 4;
  std::uint32_t lastPresentReading_ = 0;
  std::uint32_t presentGap_ = 0;
  std::uint32_t steadyPresents_ = 0;
  std::uint32_t pumpedAt_ = 0;  // SDL's events are looked for once a reading
  bool pumped_ = false;
  // CHOMPO_TIMING_LOG: when each reading reached the game, for the window
  // measurements (bench/measure_window.sh).
  std::FILE* timingLog_ = nullptr;
  std::uint32_t readByGame_ = 0;
  std::int64_t firstReadLate_ = 0;  // how late the game first read readByGame_
  std::uint32_t gameReading_ = 0;   // the game's clock as it last read it
  std::uint64_t renderCount_ = 0;
  std::vector<std::uint32_t> scratch_;
  std::vector<SDL_Rect> updateRects_;
  std::vector<int> bands_;  // changed rows gathered into runs: first, end, first, end...

  std::uint32_t audioDevice_ = 0;
  Mixer* mixer_ = nullptr;
  int audioRate_ = 0;

  bool capture_ = false;
  std::vector<std::uint32_t> captured_;
  int capturedWidth_ = 0;
  int capturedHeight_ = 0;
};

}  // namespace platform
