// A back end with no window, no display and no sound, on the real clock:
// what the platform calls reach before a back end is set, so a stray call
// fails the way a machine without those devices would instead of crashing.
// Also the base of a back end that cares about only a call or two.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/backend.h"

namespace platform {

class NoDeviceBackend : public Backend {
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

}  // namespace platform
