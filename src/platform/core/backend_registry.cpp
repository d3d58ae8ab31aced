// Which back end the platform calls go to. Before any is set the calls land
// on a back end with no window, no display and no sound, so a stray call
// fails the way a machine without those devices would instead of crashing.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/backend.h"

namespace platform {

void Backend::EndProcess(int exitCode) {
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

namespace {

class NoDeviceBackend final : public Backend {
 public:
  std::uint32_t ReadClockForGame() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  void Sleep(std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  void PumpEvents() override {}
  // Nothing can ever arrive; yield briefly so a waiting caller does not spin.
  void WaitForEvents() override { Sleep(1); }
  void Idle() override {}
  bool CreateGameWindow(const char*, int, int) override { return false; }
  void ShowGameWindow() override {}
  void DestroyGameWindow() override {}
  void SetCursorHidden(bool) override {}
  bool SetDisplayMode(int, int, int) override { return false; }
  void Present(const FrameView&) override {}
  bool OpenAudio(Mixer&) override { return false; }
  void CloseAudio() override {}
};

// Built at compile time and never destroyed: the game's global objects
// still reach the platform from their destructors at exit, which may run
// after this file's own statics are gone.
union NoDeviceHolder {
  constexpr NoDeviceHolder() : backend() {}
  ~NoDeviceHolder() {}
  NoDeviceBackend backend;
};
constinit NoDeviceHolder noDevice;

}  // namespace

constinit Backend* activeBackend = &noDevice.backend;
constinit std::uint64_t callCount = 0;

void SetBackend(Backend* backend) { activeBackend = backend != nullptr ? backend : &noDevice.backend; }

}  // namespace platform
