#include "platform/web/web_backend.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/file_places.h"
#include "platform/mixer.h"
#include "platform/web/web_keys.h"

// The page's half of the back end (page/page.js) under Module.chompo.
// clang-format off
EM_ASYNC_JS(void, web_pause, (double milliseconds, int wakeable), {
  await Module.chompo.pause(milliseconds, wakeable !== 0);
});
EM_ASYNC_JS(void, web_halt, (), { await new Promise(() => {}); });
EM_JS(void, web_wake, (), { Module.chompo.wake(); });
EM_JS(void, web_show_screen, (int width, int height), { Module.chompo.showScreen(width, height); });
EM_JS(void, web_put_frame, (const std::uint8_t* rgba, int width, int height), {
  Module.chompo.putFrame(rgba, width, height);
});
EM_JS(void, web_toggle_full_screen, (), { Module.chompo.toggleFullScreen(); });
EM_JS(void, web_finish, (), { Module.chompo.finish(); });
EM_JS(int, web_audio_open, (), { return Module.chompo.openAudio(); });
EM_JS(void, web_audio_close, (), { Module.chompo.closeAudio(); });
EM_JS(int, web_audio_flowing, (), { return Module.chompo.audioFlowing() ? 1 : 0; });
EM_JS(void, web_save_state, (const char* folder), {
  const path = UTF8ToString(folder);
  const files = {};
  for (const name of FS.readdir(path)) {
    const file = path + '/' + name;
    try {
      if (FS.isFile(FS.stat(file).mode)) files[name] = FS.readFile(file);
    } catch (error) {
      console.warn('chompo: ' + file + ' cannot be kept:', error);
    }
  }
  Module.chompo.keepFiles(files);
});
EM_JS(void, web_restore_state, (const char* folder), {
  const path = UTF8ToString(folder);
  const files = Module.chompo.keptFiles();
  const names = Object.keys(files);
  if (names.length === 0) return;
  FS.mkdirTree(path);
  for (const name of names) FS.writeFile(path + '/' + name, files[name]);
});
// clang-format on

namespace platform {
namespace {

WebBackend* live = nullptr;

constexpr int kMixChunkFrames = 4096;

}  // namespace

// Marks the time spent inside a browser event or a request from the page.
struct CallbackScope {
  explicit CallbackScope(WebBackend& backend) : backend_(backend) { ++backend_.callbackDepth_; }
  ~CallbackScope() { --backend_.callbackDepth_; }
  CallbackScope(const CallbackScope&) = delete;
  CallbackScope& operator=(const CallbackScope&) = delete;

 private:
  WebBackend& backend_;
};

namespace {

EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void* /*userData*/) {
  if (live == nullptr) return EM_FALSE;
  bool handled = false;
  live->KeyEvent(eventType == EMSCRIPTEN_EVENT_KEYDOWN, event->key, event->code, event->repeat != 0,
                 event->altKey != 0, handled);
  return handled ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnFocus(int eventType, const EmscriptenFocusEvent* /*event*/, void* /*userData*/) {
  if (live != nullptr) live->FocusEvent(eventType == EMSCRIPTEN_EVENT_FOCUS);
  return EM_FALSE;
}

EM_BOOL OnVisibility(int /*eventType*/, const EmscriptenVisibilityChangeEvent* event, void* /*userData*/) {
  if (live != nullptr) live->VisibilityEvent(event->hidden == 0);
  return EM_FALSE;
}

EM_BOOL OnAnimationFrame(double /*time*/, void* /*userData*/) {
  return live != nullptr && live->Draw() ? EM_TRUE : EM_FALSE;
}

}  // namespace

WebBackend::WebBackend() {
  live = this;
  lastYield_ = emscripten_get_now();
  silentSince_ = lastYield_;
  EmscriptenVisibilityChangeEvent visibility{};
  if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS) {
    visible_ = visibility.hidden == 0;
  }
  active_ = focused_ && visible_;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnFocus);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnFocus);
  emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, OnVisibility);
  emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
}

WebBackend::~WebBackend() {
  Finish();
  if (live == this) live = nullptr;
}

void WebBackend::Finish() {
  if (!running_) return;
  CloseAudio();
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
  emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
  emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, nullptr);
  running_ = false;
  frameDirty_ = false;
  web_finish();
}

// Files.

void WebBackend::RestoreState() {
  if (!StateFolder().empty()) web_restore_state(StateFolder().c_str());
}

void WebBackend::StateWritten() {
  if (!StateFolder().empty()) web_save_state(StateFolder().c_str());
}

// Clock and waiting.

std::uint32_t WebBackend::ReadClockQuietly() {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(emscripten_get_now()));
}

std::uint32_t WebBackend::ReadClockForGame() {
  YieldIfBusy();
  return ReadClockQuietly();
}

void WebBackend::Yield(std::uint32_t milliseconds, bool wakeable) {
  if (!CanYield()) return;
  KeepSilentSoundMoving();
  web_pause(milliseconds, wakeable ? 1 : 0);
  lastYield_ = emscripten_get_now();
  KeepSilentSoundMoving();
}

void WebBackend::YieldIfBusy() {
  if (emscripten_get_now() - lastYield_ >= kLongestBusyMs) Yield(1);
}

void WebBackend::Sleep(std::uint32_t milliseconds) {
  if (!CanYield()) return;
  // Input that arrives meanwhile is queued; the sleep itself runs its time.
  const double end = emscripten_get_now() + milliseconds;
  do {
    Yield(static_cast<std::uint32_t>(std::max(0.0, std::ceil(end - emscripten_get_now()))));
  } while (running_ && emscripten_get_now() < end);
}

// The game found nothing to do: about a millisecond, the clock's step.
void WebBackend::Idle() { Yield(1); }

void WebBackend::PumpEvents() {
  // Input is posted as the browser delivers it, during the game's yields.
  if (checkActiveOnPump_) {
    checkActiveOnPump_ = false;
    if (!active_) {
      PostActivate(false);
      ++posted_;
    }
  }
  YieldIfBusy();
}

void WebBackend::WaitForEvents() {
  const std::uint64_t before = posted_;
  PumpEvents();
  while (posted_ == before && CanYield()) Yield(100, true);
}

void WebBackend::Posted() {
  ++posted_;
  web_wake();
}

// Input.

void WebBackend::KeyEvent(bool down, const char* key, const char* code, bool repeat, bool alt,
                          bool& handled) {
  const CallbackScope scope(*this);
  handled = PageWouldScroll(code);
  if (IsFullScreenChord(code, alt)) {
    handled = true;
    if (down && !repeat) web_toggle_full_screen();
    return;
  }
  // Auto-repeats are dropped, as on the desktop: the game acts on the first
  // press and polls held keys.
  if (down && repeat) return;
  const int virtualKey = VirtualKeyFromDom(key, code);
  if (virtualKey < 0 || !windowOpen_) return;
  if (down) {
    PostKeyDown(virtualKey);
  } else {
    PostKeyUp(virtualKey);
  }
  Posted();
}

void WebBackend::TouchKey(int virtualKey, bool down) {
  const CallbackScope scope(*this);
  if (!windowOpen_) return;
  if (down) {
    PostKeyDown(virtualKey);
  } else {
    PostKeyUp(virtualKey);
  }
  Posted();
}

void WebBackend::FocusEvent(bool focused) {
  const CallbackScope scope(*this);
  focused_ = focused;
  UpdateActive();
}

void WebBackend::VisibilityEvent(bool visible) {
  const CallbackScope scope(*this);
  visible_ = visible;
  UpdateActive();
}

// A hidden page or one without the keyboard is a window in the background:
// the game pauses and every held key is let go.
void WebBackend::UpdateActive() {
  const bool active = focused_ && visible_;
  if (active == active_) return;
  active_ = active;
  if (!windowOpen_) return;
  PostActivate(active);
  Posted();
}

// The window.

bool WebBackend::CreateGameWindow(const char* /*title*/, int width, int height) {
  if (!running_ || windowOpen_ || width <= 0 || height <= 0) return false;
  windowOpen_ = true;
  frameWidth_ = width;
  frameHeight_ = height;
  return true;
}

void WebBackend::ShowGameWindow() {
  if (!windowOpen_) return;
  web_show_screen(frameWidth_, frameHeight_);
  // Showing activates; a page opened behind another tab is not active yet.
  checkActiveOnPump_ = true;
}

void WebBackend::DestroyGameWindow() {
  windowOpen_ = false;
  frameDirty_ = false;
}

// The page's own cursor rules apply: it stays visible over the controls.
void WebBackend::SetCursorHidden(bool /*hidden*/) {}

bool WebBackend::SetDisplayMode(int width, int height, int bitsPerPixel) {
  if (!windowOpen_ || bitsPerPixel != 16 || width <= 0 || height <= 0) return false;
  if (width != frameWidth_ || height != frameHeight_) web_show_screen(width, height);
  frameWidth_ = width;
  frameHeight_ = height;
  return true;
}

void WebBackend::Present(const FrameView& frame) {
  if (!windowOpen_ || frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) return;
  if (frame.width != frameWidth_ || frame.height != frameHeight_) web_show_screen(frame.width, frame.height);
  const auto rowPixels = static_cast<std::size_t>(frame.width);
  framePixels_.resize(rowPixels * static_cast<std::size_t>(frame.height));
  const auto* source = reinterpret_cast<const std::uint8_t*>(frame.pixels);
  for (int y = 0; y < frame.height; ++y) {
    std::memcpy(framePixels_.data() + static_cast<std::size_t>(y) * rowPixels,
                source + static_cast<std::ptrdiff_t>(y) * frame.pitchBytes, rowPixels * 2);
  }
  frameWidth_ = frame.width;
  frameHeight_ = frame.height;
  frameIs565_ = frame.is565;
  // Drawn at the page's next animation frame: a screen that presents on
  // every pass costs a copy, not a canvas update.
  frameDirty_ = true;
}

bool WebBackend::Draw() {
  if (!running_) return false;
  if (!frameDirty_) return true;
  frameDirty_ = false;
  const auto rowPixels = static_cast<std::size_t>(frameWidth_);
  rgba_.resize(rowPixels * static_cast<std::size_t>(frameHeight_) * 4);
  for (int y = 0; y < frameHeight_; ++y) {
    const std::size_t offset = static_cast<std::size_t>(y) * rowPixels;
    expander_.ExpandRow(framePixels_.data() + offset, rgba_.data() + offset * 4, frameWidth_, frameIs565_);
  }
  web_put_frame(rgba_.data(), frameWidth_, frameHeight_);
  return true;
}

// Sound.

bool WebBackend::OpenAudio(Mixer& mixer) {
  if (!running_) return false;
  if (mixer_ != nullptr) CloseAudio();
  const int rate = web_audio_open();
  if (rate <= 0) return false;
  audioRate_ = rate;
  mixer.SetOutputRate(rate);
  mixer_ = &mixer;
  silentSince_ = emscripten_get_now();
  return true;
}

void WebBackend::CloseAudio() {
  if (mixer_ == nullptr) return;
  web_audio_close();
  mixer_ = nullptr;
}

const float* WebBackend::MixForPage(int frames) {
  const CallbackScope scope(*this);
  frames = std::max(frames, 0);
  const auto count = static_cast<std::size_t>(frames);
  mixed_.assign(count * 2, 0);
  planar_.resize(count * 2);
  if (mixer_ != nullptr && audioLocks_ == 0) mixer_->Mix(mixed_.data(), frames);
  for (std::size_t i = 0; i < count; ++i) {
    planar_[i] = static_cast<float>(mixed_[2 * i]) / 32768.0f;
    planar_[count + i] = static_cast<float>(mixed_[2 * i + 1]) / 32768.0f;
  }
  return planar_.data();
}

void WebBackend::KeepSilentSoundMoving() {
  const double now = emscripten_get_now();
  if (mixer_ == nullptr || web_audio_flowing() != 0) {
    silentSince_ = now;
    return;
  }
  auto frames = static_cast<long long>((now - silentSince_) * audioRate_ / 1000.0);
  if (frames <= 0) return;
  silentSince_ += static_cast<double>(frames) * 1000.0 / audioRate_;
  if (mixer_->PlayingCount() == 0) return;
  mixed_.resize(static_cast<std::size_t>(kMixChunkFrames) * 2);
  while (frames > 0 && mixer_->PlayingCount() > 0) {
    const int chunk = static_cast<int>(std::min<long long>(frames, kMixChunkFrames));
    mixer_->Mix(mixed_.data(), chunk);
    frames -= chunk;
  }
}

[[noreturn]] void WebBackend::EndProcess(int exitCode) {
  const bool canHalt = CanYield();
  Finish();
  // The page stays, thanking the player; nothing of the game runs again.
  if (canHalt) {
    for (;;) web_halt();
  }
  Backend::EndProcess(exitCode);
}

}  // namespace platform

// What the page calls.
extern "C" {

EMSCRIPTEN_KEEPALIVE const float* chompo_web_mix(int frames) {
  return platform::live != nullptr ? platform::live->MixForPage(frames) : nullptr;
}

EMSCRIPTEN_KEEPALIVE void chompo_web_touch_key(int virtualKey, int down) {
  if (platform::live != nullptr) platform::live->TouchKey(virtualKey, down != 0);
}

}  // extern "C"
