// A small world for the screen tests: one-colour pictures, sounds, a font and
// stages written by the test itself, loaded through the real catalogue onto a
// headless display, and ways to read back what was presented.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/shell.h"
#include "game/catalogue.h"
#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/stage.h"
#include "platform/headless/headless_backend.h"
#include "platform/win32.h"
#include "screens/screens.h"
#include "support/files.h"
#include "support/headless_env.h"
#include "support/temp_folder.h"

namespace screentest {

using Kind = platform::ScriptEvent::Kind;
using Op = platform::SoundCall::Op;

inline constexpr std::uint16_t kBackground = 1;  // what Clear fills with
inline constexpr std::uint16_t kWhite = 0xFFFF;
// Sound buffers are told apart by their size.
inline constexpr std::uint32_t kStageStartWaveBytes = 500, kIntermissionWaveBytes = 8000;

using support::PutLe;

inline std::string SolidBmp(int width, int height, unsigned color565) {  // 24 bits a pixel
  const int rowBytes = (width * 3 + 3) / 4 * 4;
  std::string bmp = "BM", row;
  for (int field : {54 + rowBytes * height, 0, 54, 40, width, height, 1 | 24 << 16, 0, 0, 0, 0, 0, 0})
    PutLe(bmp, field, 4);
  for (int x = 0; x < width; ++x)
    PutLe(row, (color565 & 0x1F) << 3 | (color565 >> 5 & 0x3F) << 10 | color565 >> 11 << 19, 3);
  row.append(rowBytes - width * 3, '\0');
  for (int y = 0; y < height; ++y) bmp += row;
  return bmp;
}

inline std::string Wave(std::uint32_t bytes) {  // 8-bit mono PCM at 8000 Hz
  std::string wave = "RIFF";
  PutLe(wave, 36 + bytes, 4);
  wave += "WAVEfmt ";
  for (std::uint32_t field : {16u, 1u | 1u << 16, 8000u, 8000u, 1u | 8u << 16, 0x61746164u, bytes})
    PutLe(wave, field, 4);  // ... "data" and its size
  for (std::uint32_t i = 0; i < bytes; ++i) PutLe(wave, 128 + i % 16, 1);
  return wave;
}

// Ten alike stages: walls (picture 1 + column % 16) along the top and bottom
// rows, a small dot on every other cell and large dots in the inner corners;
// the player starts on cell (9, 13), the ghosts on (8..11, 7).
inline std::pair<std::string, std::string> Stages() {
  std::string map, script;
  PutLe(map, 10, 4);
  PutLe(script, 10, 4);
  for (std::uint32_t stage = 1; stage <= 10; ++stage) {
    PutLe(map, stage, 4);
    for (int cell = 0; cell < 2 * 18 * 20; ++cell) {  // the walls, then the dots
      const int r = cell / 20 % 18, c = cell % 20;
      const bool border = r == 0 || r == 17, corner = (r == 1 || r == 16) && (c == 1 || c == 18);
      PutLe(map, cell < 18 * 20 ? (border ? 1 + c % 16 : 0) : (border ? 0 : corner ? 2 : 1), 4);
    }
    PutLe(script, stage, 4);
    for (std::uint32_t actor = 0; actor < 5; ++actor) {
      script += (actor == 0 ? std::string("\3MOG") : "\2G" + std::to_string(actor)) + '\0';
      PutLe(script, actor == 0 ? 9 : 7 + actor, 4);
      PutLe(script, actor == 0 ? 13 : 7, 4);
    }
  }
  return {map, script};
}

// Made once in a fresh folder that becomes the working folder, removed at
// exit. Each picture is one colour of its own, exact in 5-6-5 and none of the
// text colours, the background or the transparent key.
struct DataFolder {
  std::map<std::string, std::uint16_t> colors;
  support::TempFolder folder{"chompo-screens"};

  DataFolder() {
    std::filesystem::current_path(folder.path());
    std::map<std::string, std::string> files;
    // Stem, count (0: one file without a number), width, height, and how much
    // narrower each numbered picture is than the one before.
    std::istringstream table(
        "Mog 6 13 13 0 ghost1_ 2 13 13 0 ghost2_ 2 13 13 0 ghost3_ 2 13 13 0 ghost4_ 2 13 13 0 BlueGhost 2 "
        "13 13 0 "
        "BlueGhostF 2 13 13 0 Left_eye 0 5 3 0 Right_eye 0 5 3 0 Up_eye 0 5 3 0 Down_eye 0 5 3 0 wall 16 13 "
        "13 0 "
        "sDot 0 3 3 0 lDot 0 5 5 0 MogDead_ 6 13 13 0 Title5 0 101 40 0 Mog_Large 3 26 26 0 NudeGhost 6 13 "
        "13 1 "
        "Checker 0 10 20 0 MogMoon 6 40 40 0 Sweat1 0 3 4 0 slipGhost 3 13 13 0");
    std::string stem;
    int count = 0, width = 0, height = 0, narrowing = 0;
    while (table >> stem >> count >> width >> height >> narrowing) {
      for (int i = count == 0 ? 0 : 1; i <= count; ++i) {
        const int n = static_cast<int>(colors.size());
        const std::string file = stem + (i == 0 ? "" : std::to_string(i)) + ".bmp";
        colors[file] = static_cast<std::uint16_t>((1 + n % 29) << 11 | (8 + n / 29 * 8) << 5 | (3 + n % 7));
        files[file] = SolidBmp(width - narrowing * (i - 1), height, colors[file]);
      }
    }
    std::uint32_t size = 0;  // the catalogue's effects in load order, 100 bytes apart
    for (const char* file :
         {"eat_dot.wav", "Killed.wav", "eat_Ghost.wav", "extramog.wav", "GAMEBEGINNING.wav"})
      files[file] = Wave(size += 100);
    files["interm.wav"] = Wave(kIntermissionWaveBytes);
    // Byte c is drawn as the bits of c over a full row, so text reads back exactly.
    for (int c = 0; c < 256; ++c)
      files["e1.eng"] += std::string{static_cast<char>(c), '\xFF'} + std::string(14, '\0');
    std::tie(files["StageData.map"], files["StageData.scp"]) = Stages();
    for (const auto& [file, bytes] : files) support::WriteText(file, bytes);
  }
};

inline DataFolder& Data() {
  static DataFolder folder;
  return folder;
}
inline std::uint16_t ColorOf(const std::string& file) { return Data().colors.at(file); }

inline std::uint16_t To565(COLORREF color) {
  return static_cast<std::uint16_t>((color & 0xFF) >> 3 << 11 | (color >> 8 & 0xFF) >> 2 << 5 |
                                    (color >> 16 & 0xFF) >> 3);
}

// A presented 320 x 240 picture (a view, no copy).
struct Frame {
  const std::uint16_t* pixels;
  int pitch;

  std::uint16_t At(int x, int y) const {
    return x < 0 || y < 0 || x >= 320 || y >= 240 ? 0 : pixels[y * pitch + x];
  }
  int Count(std::uint16_t value) const {
    int count = 0;
    for (int i = 0; i < 320 * 240; ++i) count += At(i % 320, i / 320) == value;
    return count;
  }
  // Glyph pixels past the right edge are skipped.
  bool HasText(int x, int y, const std::string& text, COLORREF color) const {
    for (std::size_t i = 0; i < text.size() * 8; ++i) {
      const bool bit = static_cast<unsigned char>(text[i / 8]) >> (7 - i % 8) & 1;
      const int px = x + static_cast<int>(i);
      if (px < 320 && ((At(px, y) == To565(color)) != bit || At(px, y + 1) != To565(color))) return false;
    }
    return true;
  }
  // Where files show along row y: first and one-past-last column, and the
  // picture seen last (all -1 when none shows).
  struct Run {
    int picture = -1, left = -1, right = -1;
  };
  Run ScanRow(int y, const std::vector<std::string>& files) const {
    Run run;
    for (int x = 0; x < 320; ++x) {
      for (std::size_t i = 0; i < files.size(); ++i) {
        if (At(x, y) != ColorOf(files[i])) continue;
        run = {static_cast<int>(i), run.left < 0 ? x : run.left, x + 1};
      }
    }
    return run;
  }
  bool Shows(int y, const std::vector<std::string>& files) const { return ScanRow(y, files).picture >= 0; }
};

// What the window procedure was handed, with the presents made before it.
struct Dispatched {
  UINT message;
  std::uint32_t presentsBefore;
};
inline std::vector<Dispatched> dispatched;
inline platform::HeadlessBackend* currentBackend = nullptr;

inline LRESULT RecordingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  dispatched.push_back({message, currentBackend->presentCount()});
  return WndProc(window, message, wParam, lParam);
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Data();
    dispatched.clear();
    currentBackend = &backend();
    WNDCLASSA wndClass{};
    wndClass.lpfnWndProc = RecordingWndProc;
    wndClass.lpszClassName = "Chompo";
    RegisterClassA(&wndClass);
    mainWindow = CreateWindowExA(0, "Chompo", "Chompo Ver 1.0", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                 nullptr, nullptr, nullptr);
    display.InitFullScreen(mainWindow, 320, 240, 16);
    canvas.Create(display.GetDirectDraw(), 320, 240);
    soundDevice.Open(mainWindow);
    LoadCatalogue();
    activeFlag = 1;
    blinkOn = 0;
    frameGateLast = playerStepGateLast = ghostStepGateLast = blinkGateLast = 0;
  }
  void TearDown() override {
    EXPECT_EQ(fontSet.latinColor, 0xFFFFFFu) << "the text colour must be white again after every screen";
    ReleaseIntermissionEffect();
    ReleaseCatalogue();
    soundDevice.Close();
    canvas.Release();
    display.Release();
  }

  platform::HeadlessBackend& backend() { return env_.backend(); }
  std::uint32_t Elapsed() { return env_->elapsed(); }
  Frame LastFrame() { return {backend().lastFrame().data(), 320}; }
  void At(std::uint32_t ms, Kind kind, int key = 0) { env_->AddEvent({ms, kind, key}); }
  void HoldNow(int key) {
    At(Elapsed(), Kind::Press, key);
    GetAsyncKeyState(key);  // lets the back end apply it
  }
  int BufferOfSize(std::uint32_t bytes) {  // the last one made with this many bytes (-1: none)
    int id = -1;
    for (const auto& [time, call] : env_->soundCalls())
      id = call.op == Op::Create && call.bytes == bytes ? call.bufferId : id;
    return id;
  }
  int CountCalls(int bufferId, Op op) {
    int count = 0;
    for (const auto& [time, call] : env_->soundCalls()) count += call.bufferId == bufferId && call.op == op;
    return count;
  }
  void WatchPresents(std::function<void(const Frame&, std::uint32_t elapsed)> watcher) {
    env_->SetPresentWatcher([this, watcher](const platform::FrameView& view, std::uint32_t) {
      watcher(Frame{view.pixels, view.pitchBytes / 2}, Elapsed());
    });
  }

  support::HeadlessEnv env_{{.recordSoundCalls = true}};
};

}  // namespace screentest
