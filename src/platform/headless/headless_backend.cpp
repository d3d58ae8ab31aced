#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "platform/mixer.h"
#include "platform/quit_signals.h"
#include "platform/win32.h"

namespace platform {

HeadlessBackend::HeadlessBackend(HeadlessOptions options)
    : options_(options), clock_(options.clockStart), pause_(options_.pauseAllowed) {
  if (options_.quitOnSignals) InstallQuitSignals();
}

HeadlessBackend::~HeadlessBackend() {
  if (options_.quitOnSignals) RestoreQuitSignals();
}

void HeadlessBackend::AddEvents(const std::vector<ScriptEvent>& events) {
  events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(nextEvent_));
  nextEvent_ = 0;
  events_.insert(events_.end(), events.begin(), events.end());
  std::stable_sort(events_.begin(), events_.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
}

void HeadlessBackend::AddEvent(const ScriptEvent& event) { AddEvents({event}); }

void HeadlessBackend::SetDeadline(std::uint32_t ms, std::function<void()> onDeadline) {
  deadline_ = ms;
  hasDeadline_ = true;
  deadlineFired_ = false;
  onDeadline_ = std::move(onDeadline);
}

void HeadlessBackend::SetPresentWatcher(std::function<void(const FrameView&, std::uint32_t)> watcher) {
  presentWatcher_ = std::move(watcher);
}

void HeadlessBackend::SetCallWatcher(std::function<void()> watcher) {
  callWatcher_ = std::move(watcher);
  SetNoteEveryCall(static_cast<bool>(callWatcher_));
}

void HeadlessBackend::SetEndWatcher(std::function<void(int)> watcher) { endWatcher_ = std::move(watcher); }

void HeadlessBackend::EndProcess(int exitCode) {
  if (endWatcher_) endWatcher_(exitCode);
  Backend::EndProcess(exitCode);
}

std::uint32_t HeadlessBackend::ReadClockForGame() {
  const std::uint32_t value = gameNow();
  // Any other call since the last reading starts the count afresh.
  if (CallCount() != callsAtLastRead_) {
    callsAtLastRead_ = CallCount();
    idleReads_ = 0;
  }
  // A loop that only watches the clock would otherwise never see it move.
  if (!moving_ && ++idleReads_ >= kIdleReadsPerMs) {
    idleReads_ = 0;
    Advance(1);
  }
  return value;
}

void HeadlessBackend::Sleep(std::uint32_t milliseconds) { Advance(milliseconds); }

void HeadlessBackend::PumpEvents() { ApplyDueEvents(true); }

void HeadlessBackend::WaitForEvents() {
  if (nextEvent_ < events_.size()) {
    const std::uint32_t due = events_[nextEvent_].time;
    Advance(due > elapsed() ? due - elapsed() : 0);
    return;
  }
  // Nothing will ever arrive: let the run reach its end instead of hanging.
  if (DeadlinePending()) {
    Advance(deadline_ > elapsed() ? deadline_ - elapsed() : 0);
    return;
  }
  Advance(1);
}

void HeadlessBackend::Idle() { Advance(1); }

void HeadlessBackend::NoteCall() {
  if (callWatcher_) callWatcher_();
}

bool HeadlessBackend::CreateGameWindow(const char* title, int /*width*/, int /*height*/) {
  if (options_.windowFails) return false;
  windowExists_ = true;
  windowTitle_ = title != nullptr ? title : "";
  return true;
}

void HeadlessBackend::ShowGameWindow() { windowShown_ = true; }

void HeadlessBackend::DestroyGameWindow() {
  windowExists_ = false;
  windowShown_ = false;
}

void HeadlessBackend::SetCursorHidden(bool hidden) { cursorHidden_ = hidden; }

bool HeadlessBackend::SetDisplayMode(int width, int height, int bitsPerPixel) {
  if (options_.displayModeFails || bitsPerPixel != 16 || width <= 0 || height <= 0) return false;
  displayWidth_ = width;
  displayHeight_ = height;
  return true;
}

void HeadlessBackend::Present(const FrameView& frame) {
  frameWidth_ = frame.width;
  frameHeight_ = frame.height;
  frameIs565_ = frame.is565;
  ++presentCount_;
  if (options_.keepLastFrame) KeepFrame(frame);
  if (presentWatcher_) presentWatcher_(frame, clock_);
}

void HeadlessBackend::KeepFrame(const FrameView& frame) {
  lastFrame_.resize(static_cast<std::size_t>(frame.width) * frame.height);
  const auto* bytes = reinterpret_cast<const unsigned char*>(frame.pixels);
  for (int y = 0; y < frame.height; ++y) {
    std::memcpy(&lastFrame_[static_cast<std::size_t>(y) * frame.width],
                bytes + static_cast<std::size_t>(y) * frame.pitchBytes,
                static_cast<std::size_t>(frame.width) * 2);
  }
}

bool HeadlessBackend::OpenAudio(Mixer& mixer) {
  if (!options_.soundDevice) return false;
  mixer.SetOutputRate(options_.audioRate);
  mixer_ = &mixer;
  if (!audioStarted_) {
    audioStarted_ = true;
    audioStart_ = clock_;
    audioMs_ = 0;
  }
  return true;
}

void HeadlessBackend::CloseAudio() { mixer_ = nullptr; }

void HeadlessBackend::RecordSoundCall(const SoundCall& call) {
  if (options_.recordSoundCalls) soundCalls_.push_back({clock_, call});
}

void HeadlessBackend::Advance(std::uint32_t ms) {
  // The deadline callback may end the run by unwinding through here.
  struct MovingFlag {
    bool& flag;
    bool before;
    ~MovingFlag() { flag = before; }
  } moving{moving_, moving_};
  moving_ = true;
  for (;;) {
    ApplyDueEvents(false);
    if (DeadlinePending() && elapsed() >= deadline_) {
      deadlineFired_ = true;
      if (onDeadline_) onDeadline_();
    }
    if (ms == 0) break;
    // Stop at every event and at the deadline on the way, so each happens at
    // its own time even inside a long sleep.
    std::uint32_t step = ms;
    if (nextEvent_ < events_.size() && events_[nextEvent_].time > elapsed()) {
      step = std::min(step, events_[nextEvent_].time - elapsed());
    }
    if (DeadlinePending() && deadline_ > elapsed()) step = std::min(step, deadline_ - elapsed());
    MoveClock(step);
    ms -= step;
  }
}

void HeadlessBackend::MoveClock(std::uint32_t ms) {
  clock_ += ms;
  if (!options_.mixAudio || !audioStarted_) return;
  audioMs_ += ms;
  const std::uint64_t frames = audioMs_ * static_cast<std::uint64_t>(options_.audioRate) / 1000;
  const std::size_t have = audio_.size() / 2;
  if (frames <= have) return;
  const int add = static_cast<int>(frames - have);
  audio_.resize(static_cast<std::size_t>(frames) * 2, 0);
  if (mixer_ != nullptr && !pause_.paused()) mixer_->Mix(&audio_[have * 2], add);
}

void HeadlessBackend::ApplyDueEvents(bool pumping) {
  if ((options_.quitOnSignals && TakeQuitSignal()) || closeRequested_) {
    closeRequested_ = false;
    PostClose();
  }
  while (nextEvent_ < events_.size() && events_[nextEvent_].time <= elapsed()) {
    const ScriptEvent event = events_[nextEvent_];
    const bool pauseKey = pause_.enabled() && event.kind == ScriptEvent::Kind::Press &&
                          (event.virtualKey == 'P' || event.virtualKey == VK_PAUSE);
    if (pauseKey && !pumping) return;
    ++nextEvent_;
    const bool validKey = event.virtualKey > 0 && event.virtualKey < 256;
    switch (event.kind) {
      case ScriptEvent::Kind::Press:
        if (pauseKey && pause_.Toggle(clock_)) {
          pressSwallowed_[static_cast<std::size_t>(event.virtualKey)] = true;
        } else {
          PostKeyDown(event.virtualKey);
        }
        break;
      case ScriptEvent::Kind::Release:
        if (validKey && pressSwallowed_[static_cast<std::size_t>(event.virtualKey)]) {
          pressSwallowed_[static_cast<std::size_t>(event.virtualKey)] = false;
        } else {
          PostKeyUp(event.virtualKey);
        }
        break;
      case ScriptEvent::Kind::Activate:
        pause_.FocusChanged(true);
        break;
      case ScriptEvent::Kind::Deactivate:
        pause_.FocusChanged(false);
        break;
      case ScriptEvent::Kind::Close:
        PostClose();
        break;
    }
  }
}

int VirtualKeyFromName(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::pair<const char*, int> kNamed[] = {
      {"LEFT", VK_LEFT},   {"RIGHT", VK_RIGHT},   {"UP", VK_UP},         {"DOWN", VK_DOWN},
      {"SPACE", VK_SPACE}, {"ESCAPE", VK_ESCAPE}, {"RETURN", VK_RETURN},
  };
  for (const auto& [keyName, code] : kNamed) {
    if (upper == keyName) return code;
  }
  if (upper.size() == 1) {
    const char c = upper[0];
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
  }
  if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F') {
    int number = 0;
    for (std::size_t i = 1; i < upper.size(); ++i) {
      if (upper[i] < '0' || upper[i] > '9') return -1;
      number = number * 10 + (upper[i] - '0');
    }
    if (number >= 1 && number <= 12 && !(upper.size() == 3 && upper[1] == '0')) return VK_F1 + number - 1;
  }
  return -1;
}

}  // namespace platform
