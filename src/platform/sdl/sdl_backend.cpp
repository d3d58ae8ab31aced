#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/mixer.h"
#include "platform/quit_signals.h"
#include "platform/sdl/key_map.h"
#include "platform/sdl/letterbox.h"
#include "platform/sdl/pixel_expand.h"
#include "platform/sdl/renderer_choice.h"
#include "platform/win32.h"

namespace platform {
namespace {

constexpr int kAudioRate = 44100;
constexpr Uint16 kAudioFrames = 1024;  // about 23 ms at 44.1 kHz
constexpr Uint32 kWaitSliceMs = 100;   // how often a blocked wait looks for signals

// The game itself stays silent on failures; a player without a display
// still deserves to know why nothing opened.
void ReportVideoFailure(const char* what) { std::fprintf(stderr, "chompo: %s: %s\n", what, SDL_GetError()); }

// Set, not empty and not "0".
bool EnvironmentFlag(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

// 32 bits a pixel with red, green and blue in the low three bytes: what
// DrawScaled writes.
bool IsXrgb8888(const SDL_Surface* surface) {
  const SDL_PixelFormat* format = surface->format;
  return format->BytesPerPixel == 4 && format->Rmask == 0x00FF0000u && format->Gmask == 0x0000FF00u &&
         format->Bmask == 0x000000FFu;
}

// Sends standard error to /dev/null for as long as it lives; what this
// program prints itself goes out after it is gone.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

// A driver asked for by name is always started (tests ask for SDL's dummy
// one); otherwise only where some device or server could play.
bool SoundWorthLookingFor() {
  const char* driver = SDL_GetHint(SDL_HINT_AUDIODRIVER);
  if (driver != nullptr && driver[0] != '\0') return true;
  SoundPlaces places;
  for (auto [name, place] :
       {std::pair{"XDG_RUNTIME_DIR", &places.runtime}, std::pair{"PULSE_SERVER", &places.server}}) {
    if (const char* value = std::getenv(name)) *place = value;
  }
  return MayHaveSoundOutput(places);
}

}  // namespace

SdlBackend::SdlBackend(SdlOptions options)
    : options_(std::move(options)),
      pause_(options_.pauseAllowed),
      controls_(options_.keys, [this](Command command) { return RunCommand(command); }),
      volume_(std::clamp(options_.volume, 0, Mixer::kFullVolume)),
      muted_(options_.muted) {
  // Our own handlers: SDL's would swallow a second Ctrl+C.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER);
  InstallQuitSignals();
  if (const char* path = std::getenv("CHOMPO_TIMING_LOG"); path != nullptr && path[0] != '\0') {
    timingLog_ = std::fopen(path, "we");
    // Written out as it fills: a line a picture must not cost a write each.
    if (timingLog_ != nullptr) std::setvbuf(timingLog_, nullptr, _IOFBF, 1 << 16);
  }
  running_ = true;
}

void SdlBackend::NoteTiming(const char* what, long long value) {
  if (timingLog_ != nullptr)
    std::fprintf(timingLog_, "%s %lld %lld\n", what, static_cast<long long>(TickClock::MonotonicNs()), value);
}

// Looking for gamepads takes several milliseconds: a player waiting for the
// first picture does not wait for it.
void SdlBackend::StartGamepadsWhenDue() {
  if (gamepadsStarted_ || (window_ != nullptr && !pictureShown_)) return;
  gamepadsStarted_ = true;
  controls_.StartGamepads(options_.gamepadMappings);
}

SdlBackend::~SdlBackend() { Shutdown(); }

void SdlBackend::EndProcess(int exitCode) {
  Shutdown();
  Backend::EndProcess(exitCode);
}

void SdlBackend::Shutdown() {
  if (!running_) return;
  CloseAudio();
  DestroyGameWindow();
  controls_.CloseGamepads();
  gamepadsStarted_ = false;
  RestoreQuitSignals();
  SDL_Quit();
  if (timingLog_ != nullptr) std::fclose(timingLog_);
  timingLog_ = nullptr;
  videoReady_ = false;
  audioReady_ = false;
  audioFailed_ = false;
  running_ = false;
}

// Clock and waiting.

std::uint32_t SdlBackend::ReadClockForGame() {
  // A loop that does nothing but read the clock (waiting for a gate) would
  // keep a core busy: once it has read it kSpinReads times with no other
  // call between, it sleeps until the next reading begins.
  if (CallCount() != callsAtLastRead_) {
    callsAtLastRead_ = CallCount();
    spinReads_ = 0;
  }
  if (++spinReads_ >= kSpinReads) {
    spinReads_ = 0;
    clock_.SleepPast(clock_.Now());
  }
  const TickClock::Reading now = clock_.Read();
  if (now.ms != readByGame_) {
    readByGame_ = now.ms;
    firstReadLate_ = now.late;
  }
  seen_ = now.ms;
  if (renderPending_ && now.ms - lastRender_ >= kMinRenderGapMs) Redraw();
  gameReading_ = pause_.GameTime(now.ms);
  return gameReading_;
}

// The platform's own readings leave Idle alone: a reading the game has not
// seen yet must still wake it.
std::uint32_t SdlBackend::ReadClockQuietly() { return pause_.GameTime(clock_.Now()); }

void SdlBackend::Sleep(std::uint32_t milliseconds) {
  // The picture of a pause is the last one presented before it.
  if (renderPending_) Redraw();
  NoteTiming("sleep", milliseconds);
  SDL_Delay(milliseconds);
}

void SdlBackend::Idle() {
  if (!running_) return;
  RedrawIfDue();
  StartGamepadsWhenDue();
  // Whatever waits will be taken at the next pump. Otherwise give the
  // processor away until the clock reads more than the game last saw (at
  // once when it does already), in one sleep that ends as the new reading
  // begins: the game sees it a few microseconds late at most, so its gates
  // fire on time, and a loop that only polls wakes once a millisecond.
  const bool onlyPolled = CallCount() - callsAtLastIdle_ <= 1;  // the poll that found nothing
  callsAtLastIdle_ = CallCount();
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE) return;
  // A game that presents at a steady rhythm (play: a frame every 17
  // readings) and between pictures only polls has nothing to do until the
  // reading before its next picture is due: it sleeps until then at once,
  // and from there a reading at a time as above. Input that comes meanwhile
  // waits for that reading; the frame reads the keys after it anyway.
  if (onlyPolled && !renderPending_ && steadyPresents_ >= kSteadyPresents &&
      presentGap_ >= kShortestRhythmMs) {
    const std::uint32_t before = lastPresentReading_ + presentGap_ - 1;
    if (static_cast<std::int32_t>(before - clock_.Now()) > 0) {
      clock_.SleepUntil(before);
      seen_ = clock_.Now();
      return;
    }
  }
  clock_.SleepPast(seen_);
  seen_ = clock_.Now();
}

// Input.

void SdlBackend::PumpEvents() {
  if (!running_) return;
  StartGamepadsWhenDue();
  RedrawIfDue();
  TakeSignals();
  // Asking the display costs more than the game's checks of a key or two
  // in a row; once a reading is often enough.
  const std::uint32_t now = clock_.Now();
  if (!pumped_ || now != pumpedAt_) {
    SDL_PumpEvents();
    pumpedAt_ = now;
    pumped_ = true;
  }
  DrainQueue();
}

void SdlBackend::WaitForEvents() {
  if (!running_) return;
  const std::uint64_t before = posted_;
  if (renderPending_) Redraw();
  NoteTiming("wait", 0);
  PumpEvents();
  while (posted_ == before) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(kWaitSliceMs)) != 0) {
      Dispatch(event);
      DrainQueue();
    }
    TakeSignals();
  }
}

void SdlBackend::TakeSignals() {
  if (TakeQuitSignal()) {
    PostClose();
    ++posted_;
  }
}

void SdlBackend::DrainQueue() {
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Dispatch(event);
}

void SdlBackend::Dispatch(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      // The close button arrives here too (the last window closing), so it
      // is posted once.
      PostClose();
      ++posted_;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
      posted_ += static_cast<std::uint64_t>(controls_.Handle(event));
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          // A pause outlasts the focus coming back.
          if (pause_.FocusChanged(true)) ++posted_;
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          pause_.FocusChanged(false);
          controls_.ReleaseAll();
          ++posted_;
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          // Not every window manager holds the window to its minimum size
          // (a resize asked for by another program gets through), and below
          // it the picture would be cropped.
          if (!fullScreen_ && (event.window.data1 < modeWidth_ || event.window.data2 < modeHeight_)) {
            SDL_SetWindowSize(window_, std::max(event.window.data1, modeWidth_),
                              std::max(event.window.data2, modeHeight_));
          }
          redrawAll_ = true;
          Redraw();
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          redrawAll_ = true;
          Redraw();
          break;
        default:
          break;
      }
      break;
    default:
      break;
  }
}

// The player's commands.

bool SdlBackend::RunCommand(Command command) {
  switch (command) {
    case Command::Pause:
      if (!pause_.Toggle(clock_.Now())) return false;
      ++posted_;
      TogglePause();
      return true;
    case Command::FullScreen:
      ToggleFullScreen();
      return true;
    case Command::Mute:
      SetVolume(volume_, !muted_);
      return true;
    // A step of the volume is meant to be heard: it ends a mute.
    case Command::VolumeDown:
      SetVolume(std::max(volume_ - 1, 0), false);
      return true;
    case Command::VolumeUp:
      SetVolume(std::min(volume_ + 1, Mixer::kFullVolume), false);
      return true;
    case Command::None:
      break;
  }
  return false;
}

// The clock and the game's activation have changed already; here is what
// the player sees and hears of it.
void SdlBackend::TogglePause() {
  if (pause_.paused()) controls_.ReleaseAll();
  if (audioDevice_ != 0) SDL_PauseAudioDevice(audioDevice_, pause_.paused() ? 1 : 0);
  redrawAll_ = true;
  textureStale_ = true;
  Redraw();
}

void SdlBackend::SetVolume(int volume, bool muted) {
  if (volume == volume_ && muted == muted_) return;
  volume_ = volume;
  muted_ = muted;
  if (mixer_ != nullptr) {
    LockAudio();
    mixer_->SetVolume(muted_ ? 0 : volume_);
    UnlockAudio();
  }
  if (options_.soundChosen) options_.soundChosen(volume_, muted_);
}

const std::uint16_t* SdlBackend::ShownPixels() {
  if (!pause_.paused()) return framePixels_.data();
  dimPixels_.resize(framePixels_.size());
  for (std::size_t i = 0; i < framePixels_.size(); ++i)
    dimPixels_[i] = DimPixel(framePixels_[i], frameIs565_);
  return dimPixels_.data();
}

// The window.

bool SdlBackend::OpenWindow(const char* title, int width, int height) {
  SDL_Rect usable{0, 0, width * 3, height * 3};
  SDL_GetDisplayUsableBounds(0, &usable);
  const int scale = WindowedScale(usable.w, usable.h, width, height, options_.windowScale);
  window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale,
                             height * scale, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (window_ == nullptr) {
    ReportVideoFailure("cannot open the window");
    return false;
  }
  // Below the picture's size whole-number scaling would crop it.
  SDL_SetWindowMinimumSize(window_, width, height);
  return true;
}

// A graphics card scales through an SDL renderer (no vsync, set in the
// constructor: a present must never wait for the display). Without one,
// SDL's software renderer or an OpenGL emulated on the processor costs
// several times what our own whole-number scaling into the window's pixels
// does, so that is used instead; CHOMPO_SOFTWARE=1 asks for it outright. A
// machine without a graphics device gets it without trying OpenGL first:
// loading a software rasterizer only to find out costs a third of a second
// and keeps its tens of megabytes mapped. A renderer named in
// SDL_RENDER_DRIVER is always kept.
bool SdlBackend::ChooseDrawing() {
  const char* requested = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  const bool rendererRequested = requested != nullptr && requested[0] != '\0';
  if (rendererRequested || (!EnvironmentFlag("CHOMPO_SOFTWARE") && HasGraphicsDevice())) {
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) {
      ReportVideoFailure("cannot draw in the window");
      return false;
    }
    if (rendererRequested) return true;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer_, &info);
    if ((info.flags & SDL_RENDERER_ACCELERATED) != 0 && !DrawsWithSoftwareGl(renderer_)) return true;
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
  }
  // Plain shared memory to the X server, not a texture of its own.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface != nullptr && IsXrgb8888(surface)) return true;
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    ReportVideoFailure("cannot draw in the window");
    return false;
  }
  return true;
}

bool SdlBackend::CreateGameWindow(const char* title, int width, int height) {
  if (!running_ || window_ != nullptr) return false;
  if (!videoReady_) {
    int started = 0;
    {
      // Display libraries complain on their own when they find no display.
      const QuietStandardError quiet;
      started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    }
    if (started != 0) {
      ReportVideoFailure("cannot start the video");
      noDisplay_ = true;
      return false;
    }
    // With no display SDL falls back to drivers that show nothing; the game
    // would then run unseen. Only a driver asked for by name may do that.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        (requested == nullptr || requested[0] == '\0')) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      SDL_SetError("no display (neither DISPLAY nor WAYLAND_DISPLAY leads to one)");
      ReportVideoFailure("cannot open the window");
      noDisplay_ = true;
      return false;
    }
    videoReady_ = true;
  }
  if (!OpenWindow(title, width, height)) return false;
  if (!ChooseDrawing()) {
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    return false;
  }
  modeWidth_ = width;
  modeHeight_ = height;
  fullScreen_ = false;
  SDL_StopTextInput();
  SetCursorHidden(true);
  return true;
}

void SdlBackend::ShowGameWindow() {
  if (window_ == nullptr) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  Redraw();
}

void SdlBackend::DestroyGameWindow() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  hasFrame_ = false;
  renderPending_ = false;
  redrawAll_ = true;
  lastSurface_ = nullptr;
  fullScreen_ = false;
}

void SdlBackend::SetCursorHidden(bool hidden) {
  cursorHidden_ = hidden;
  if (videoReady_) SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
}

void SdlBackend::ToggleFullScreen() {
  if (window_ == nullptr) return;
  const bool wasFullScreen = fullScreen_;
  if (fullScreen_) {
    if (SDL_SetWindowFullscreen(window_, 0) != 0) return;
    fullScreen_ = false;
    SDL_Rect usable{0, 0, modeWidth_ * 3, modeHeight_ * 3};
    SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_), &usable);
    const int scale = WindowedScale(usable.w, usable.h, modeWidth_, modeHeight_, options_.windowScale);
    SDL_SetWindowSize(window_, modeWidth_ * scale, modeHeight_ * scale);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  } else {
    fullScreen_ = SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
  }
  redrawAll_ = true;
  Redraw();
  if (fullScreen_ != wasFullScreen && options_.fullScreenChosen) options_.fullScreenChosen(fullScreen_);
}

// The picture.

bool SdlBackend::SetDisplayMode(int width, int height, int bitsPerPixel) {
  if (window_ == nullptr || bitsPerPixel != 16 || width <= 0 || height <= 0) return false;
  modeWidth_ = width;
  modeHeight_ = height;
  // The window shows black until the next picture; it already does unless
  // it showed a picture or changes size.
  bool blacken = hasFrame_;
  hasFrame_ = false;
  if (options_.fullScreen && !fullScreen_) {
    fullScreen_ = SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    blacken = true;
  }
  SetCursorHidden(cursorHidden_);
  if (blacken) Redraw();
  return true;
}

void SdlBackend::Present(const FrameView& frame) {
  if (window_ == nullptr || frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) return;
  const std::uint32_t gap = readByGame_ - lastPresentReading_;
  steadyPresents_ = gap == presentGap_ ? steadyPresents_ + 1 : 0;
  presentGap_ = gap;
  lastPresentReading_ = readByGame_;
  if (timingLog_ != nullptr) {
    NoteTiming("frame", gameReading_);
    NoteTiming("gate", firstReadLate_);
  }
  bool changed =
      frame.width != frameWidth_ || frame.height != frameHeight_ || frame.is565 != frameIs565_ || !hasFrame_;
  if (changed) redrawAll_ = true;
  const auto rowPixels = static_cast<std::size_t>(frame.width);
  const auto rowBytes = rowPixels * 2;
  framePixels_.resize(rowPixels * static_cast<std::size_t>(frame.height));
  rowChanged_.resize(static_cast<std::size_t>(frame.height), 1);
  const auto* source = reinterpret_cast<const std::uint8_t*>(frame.pixels);
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* row = source + static_cast<std::ptrdiff_t>(y) * frame.pitchBytes;
    std::uint16_t* kept = framePixels_.data() + static_cast<std::size_t>(y) * rowPixels;
    if (std::memcmp(kept, row, rowBytes) != 0) {
      std::memcpy(kept, row, rowBytes);
      rowChanged_[static_cast<std::size_t>(y)] = 1;
      changed = true;
    }
  }
  // The same picture again (a still screen presents one a millisecond) is
  // shown already, or waits its turn already.
  if (!changed) return;
  frameWidth_ = frame.width;
  frameHeight_ = frame.height;
  frameIs565_ = frame.is565;
  hasFrame_ = true;
  textureStale_ = true;
  // Screens that present on every pass would otherwise draw hundreds of
  // pictures a second that no display can show; the newest one waits for
  // the gap to pass and is drawn by whichever call comes next.
  renderPending_ = true;
  RedrawIfDue();
}

void SdlBackend::RedrawIfDue() {
  if (renderPending_ && clock_.Now() - lastRender_ >= kMinRenderGapMs) Redraw();
}

void SdlBackend::Redraw() {
  renderPending_ = false;
  if (window_ == nullptr) return;
  // Only pictures space the drawings out: the first one follows the black
  // of a new window at once.
  if (hasFrame_) lastRender_ = clock_.Now();
  ++renderCount_;
  if (renderer_ != nullptr) {
    DrawWithRenderer();
  } else {
    DrawIntoWindowSurface();
  }
  pictureShown_ = pictureShown_ || hasFrame_;
}

void SdlBackend::DrawWithRenderer() {
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  int outputWidth = 0;
  int outputHeight = 0;
  SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
  if (hasFrame_ && (texture_ == nullptr || textureWidth_ != frameWidth_ || textureHeight_ != frameHeight_)) {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    // 32 bits without alpha: a plain copy, no blending, no per-pixel
    // conversion inside the renderer.
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, frameWidth_,
                                 frameHeight_);
    if (texture_ != nullptr) {
      SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
      SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    }
    textureWidth_ = frameWidth_;
    textureHeight_ = frameHeight_;
    textureStale_ = true;
  }
  void* pixels = nullptr;
  int pitch = 0;
  if (hasFrame_ && texture_ != nullptr && textureStale_ &&
      SDL_LockTexture(texture_, nullptr, &pixels, &pitch) == 0) {
    const FrameView picture{ShownPixels(), frameWidth_, frameHeight_, frameWidth_ * 2, frameIs565_};
    DrawScaled(picture, Letterbox{1, 0, 0, frameWidth_, frameHeight_},
               TargetPixels{static_cast<std::uint32_t*>(pixels), frameWidth_, frameHeight_, pitch}, scratch_);
    SDL_UnlockTexture(texture_);
    textureStale_ = false;
  }
  if (hasFrame_ && texture_ != nullptr) {
    // Every output pixel is written, borders and picture, so nothing old
    // shows through whatever the renderer keeps between frames.
    const Letterbox box = FitWholeScale(outputWidth, outputHeight, frameWidth_, frameHeight_);
    BorderRect borders[4];
    const int count = BorderRects(box, outputWidth, outputHeight, borders);
    SDL_Rect fills[4];
    for (int i = 0; i < count; ++i) {
      fills[i] = SDL_Rect{borders[i].x, borders[i].y, borders[i].width, borders[i].height};
    }
    if (count > 0) SDL_RenderFillRects(renderer_, fills, count);
    const SDL_Rect destination{box.x, box.y, box.width, box.height};
    SDL_RenderCopy(renderer_, texture_, nullptr, &destination);
  } else {
    SDL_RenderClear(renderer_);
  }
  if (capture_ && outputWidth > 0 && outputHeight > 0) {
    std::vector<std::uint32_t> read(static_cast<std::size_t>(outputWidth) *
                                    static_cast<std::size_t>(outputHeight));
    if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, read.data(), outputWidth * 4) ==
        0) {
      Capture(read.data(), outputWidth, outputHeight, outputWidth * 4);
    }
  }
  SDL_RenderPresent(renderer_);
}

void SdlBackend::DrawIntoWindowSurface() {
  // Remade by SDL after every resize; its pixels otherwise stay as drawn.
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr || !IsXrgb8888(surface)) return;
  if (surface != lastSurface_ || surface->w != lastSurfaceWidth_ || surface->h != lastSurfaceHeight_) {
    redrawAll_ = true;
    lastSurface_ = surface;
    lastSurfaceWidth_ = surface->w;
    lastSurfaceHeight_ = surface->h;
  }
  const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
  if (!hasFrame_) {
    SDL_FillRect(surface, nullptr, black);
    if (capture_) {
      Capture(static_cast<const std::uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch);
    }
    SDL_UpdateWindowSurface(window_);
    redrawAll_ = true;
    return;
  }
  const Letterbox box = FitWholeScale(surface->w, surface->h, frameWidth_, frameHeight_);
  if (redrawAll_) {
    BorderRect borders[4];
    const int count = BorderRects(box, surface->w, surface->h, borders);
    for (int i = 0; i < count; ++i) {
      SDL_Rect fill{borders[i].x, borders[i].y, borders[i].width, borders[i].height};
      SDL_FillRect(surface, &fill, black);
    }
  }
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
  const FrameView picture{ShownPixels(), frameWidth_, frameHeight_, frameWidth_ * 2, frameIs565_};
  const TargetPixels target{static_cast<std::uint32_t*>(surface->pixels), surface->w, surface->h,
                            surface->pitch};
  // Runs of changed rows: drawn and sent to the display together.
  bands_.clear();
  for (int row = 0; row < frameHeight_;) {
    if (!redrawAll_ && rowChanged_[static_cast<std::size_t>(row)] == 0) {
      ++row;
      continue;
    }
    const int first = row;
    while (row < frameHeight_ && (redrawAll_ || rowChanged_[static_cast<std::size_t>(row)] != 0)) ++row;
    DrawScaledRows(picture, box, target, first, row, scratch_);
    bands_.push_back(first);
    bands_.push_back(row);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  std::fill(rowChanged_.begin(), rowChanged_.end(), std::uint8_t{0});
  if (capture_) {
    Capture(static_cast<const std::uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch);
  }
  if (redrawAll_) {
    SDL_UpdateWindowSurface(window_);
  } else {
    std::vector<SDL_Rect>& rects = updateRects_;
    rects.clear();
    for (std::size_t i = 0; i < bands_.size(); i += 2) {
      const int top = std::max(box.y + bands_[i] * box.scale, 0);
      const int bottom = std::min(box.y + bands_[i + 1] * box.scale, surface->h);
      const int left = std::max(box.x, 0);
      const int right = std::min(box.x + box.width, surface->w);
      if (top < bottom && left < right) rects.push_back(SDL_Rect{left, top, right - left, bottom - top});
    }
    if (!rects.empty()) SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
  }
  redrawAll_ = false;
}

void SdlBackend::Capture(const std::uint32_t* pixels, int width, int height, int pitchBytes) {
  captured_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(pixels);
  for (int y = 0; y < height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(bytes + static_cast<std::ptrdiff_t>(y) * pitchBytes);
    for (int x = 0; x < width; ++x) {
      captured_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          row[x] | 0xFF000000u;
    }
  }
  capturedWidth_ = width;
  capturedHeight_ = height;
}

// Sound.

bool SdlBackend::OpenAudio(Mixer& mixer) {
  if (!running_) return false;
  if (audioDevice_ != 0) CloseAudio();
  SDL_AudioSpec obtained{};
  SDL_AudioDeviceID device = 0;
  {
    // The sound libraries under SDL print their own complaints about a
    // missing card; the player gets one line of ours instead.
    const QuietStandardError quiet;
    if (audioFailed_) {
      // Looked for anew, as a first time would.
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      audioReady_ = false;
      audioFailed_ = false;
    }
    if (!audioReady_ && SoundWorthLookingFor()) audioReady_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (audioReady_) {
      SDL_AudioSpec wanted{};
      wanted.freq = kAudioRate;
      wanted.format = AUDIO_S16SYS;
      wanted.channels = 2;
      wanted.samples = kAudioFrames;
      wanted.callback = &SdlBackend::AudioCallback;
      wanted.userdata = this;
      // No changes allowed: SDL converts to whatever the hardware wants, and
      // the callback always gets 44.1 kHz stereo 16-bit in 1024-frame blocks.
      device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
      // Shutting the sound down here would wait a tenth of a second for
      // SDL's device watcher (ALSA's wakes every 100 ms) before the first
      // picture; it goes with SDL at the end, or before another try.
      audioFailed_ = device == 0;
    }
  }
  if (device == 0) {
    if (!toldNoSound_) std::fprintf(stderr, "chompo: no sound device: playing silently\n");
    toldNoSound_ = true;
    return false;
  }
  audioDevice_ = device;
  audioRate_ = obtained.freq;
  mixer.SetOutputRate(obtained.freq);
  mixer.SetVolume(muted_ ? 0 : volume_);
  mixer_ = &mixer;
  SDL_PauseAudioDevice(device, pause_.paused() ? 1 : 0);
  return true;
}

void SdlBackend::CloseAudio() {
  if (audioDevice_ == 0) return;
  // Waits for a running callback to finish, so the mixer may go after this.
  SDL_CloseAudioDevice(audioDevice_);
  audioDevice_ = 0;
  mixer_ = nullptr;
}

void SdlBackend::LockAudio() {
  if (audioDevice_ != 0) SDL_LockAudioDevice(audioDevice_);
}

void SdlBackend::UnlockAudio() {
  if (audioDevice_ != 0) SDL_UnlockAudioDevice(audioDevice_);
}

void SdlBackend::AudioCallback(void* userdata, std::uint8_t* stream, int length) {
  // SDL holds the device lock around this call.
  std::memset(stream, 0, static_cast<std::size_t>(length));
  auto* self = static_cast<SdlBackend*>(userdata);
  if (self->mixer_ != nullptr) self->mixer_->Mix(reinterpret_cast<std::int16_t*>(stream), length / 4);
}

}  // namespace platform
