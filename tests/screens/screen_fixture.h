// A small world for the screen tests: tiny pictures, sounds, a font and
// stage files written by the test itself, loaded through the real catalogue
// onto a headless display, and ways to read back what was presented.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/win32.h"
#include "support/headless_env.h"

namespace screentest {

inline constexpr std::uint16_t kBackground = 1;  // what Clear fills with
inline constexpr std::uint16_t kWhite = 0xFFFF;
// The left column of the character pictures, so mirroring shows.
inline constexpr std::uint16_t kMarker = (30 << 11) | (60 << 5) | 30;
// Sound buffers are told apart by their size.
inline constexpr std::uint32_t kStageStartWaveBytes = 500;
inline constexpr std::uint32_t kIntermissionWaveBytes = 8000;

std::uint16_t To565(COLORREF color);
// The solid colour of a test picture, by file name.
std::uint16_t ColorOf(const std::string& file);

// A view of a presented picture (no copy).
class Frame {
 public:
  explicit Frame(const platform::FrameView& view)
      : pixels_(view.pixels), width_(view.width), height_(view.height), pitch_(view.pitchBytes / 2) {}
  explicit Frame(const platform::HeadlessBackend& backend)
      : pixels_(backend.lastFrame().data()),
        width_(backend.frameWidth()),
        height_(backend.frameHeight()),
        pitch_(backend.frameWidth()) {}

  std::uint16_t At(int x, int y) const {
    return x < 0 || y < 0 || x >= width_ || y >= height_ ? 0 : pixels_[y * pitch_ + x];
  }
  int Count(std::uint16_t value) const;
  // The test font draws byte c as the bits of c over a full row, so text and
  // its colour read back exactly; glyph pixels past the edge are skipped.
  bool HasText(int x, int y, const std::string& text, COLORREF color) const;
  // The first picture of files found along row y: its index, first and
  // one-past-last column; index -1 when none shows.
  struct Run {
    int picture = -1, left = -1, right = -1;
  };
  Run ScanRow(int y, const std::vector<std::string>& files) const;

 private:
  const std::uint16_t* pixels_;
  int width_, height_, pitch_;
};

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  platform::HeadlessBackend& backend() { return env_.backend(); }
  std::uint32_t Elapsed() { return env_->elapsed(); }
  void At(std::uint32_t ms, platform::ScriptEvent::Kind kind, int key = 0) {
    env_->AddEvent({ms, kind, key});
  }
  void HoldNow(int key) {
    At(Elapsed(), platform::ScriptEvent::Kind::Press, key);
    GetAsyncKeyState(key);  // lets the back end apply it
  }
  bool QuitMessageQueued();
  // The id of the last buffer made with this many bytes (-1: none).
  int BufferOfSize(std::uint32_t bytes);
  int CountCalls(int bufferId, platform::SoundCall::Op op);
  void WatchPresents(std::function<void(const Frame&, std::uint32_t now)> watcher);

  testsupport::HeadlessEnv env_;
  std::string previousDirectory_;
};

// What the window procedure was handed, with the presents made before it.
struct Dispatched {
  UINT message;
  std::uint32_t presentsBefore;
};
extern std::vector<Dispatched> dispatched;

}  // namespace screentest
