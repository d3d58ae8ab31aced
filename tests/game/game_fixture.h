// Shared set-up of the game tests: a fresh headless back end and working
// folder per test, the game's state reset, and stage files written by the test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/play_frame.h"
#include "game/stage.h"
#include "support/headless_env.h"

namespace gametest {

using Bytes = std::vector<unsigned char>;

struct Stage {
  MazeGrid maze{};
  std::array<std::array<std::int32_t, 2>, 5> starts{};  // column and row: the player, then ghosts 0 to 3
};

inline void WriteFile(const char* name, const Bytes& bytes) {
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Both stage files. Names of 3, 2, 2, 2 and 2 bytes make each script record
// exactly 65 bytes long.
inline void WriteStages(const std::vector<Stage>& stages) {
  Bytes map, script;
  const auto put = [](Bytes& bytes, std::size_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
  };
  put(map, stages.size());
  put(script, stages.size());
  for (std::size_t n = 0; n < stages.size(); ++n) {
    put(map, n + 1);
    for (const auto* layer : {&stages[n].maze.walls, &stages[n].maze.dots}) {
      for (const auto& row : *layer) {
        for (const std::int32_t cell : row) put(map, static_cast<std::uint32_t>(cell));
      }
    }
    put(script, 0);
    for (int i = 0; i < 5; ++i) {
      script.push_back(static_cast<unsigned char>(i == 0 ? 3 : 2));
      script.insert(script.end(), i == 0 ? 4 : 3, 'N');  // the name and the byte after it
      put(script, stages[n].starts[i][0]);
      put(script, stages[n].starts[i][1]);
    }
  }
  WriteFile("StageData.map", map);
  WriteFile("StageData.scp", script);
}

class GameTest : public ::testing::Test {
 protected:
  explicit GameTest(platform::HeadlessOptions options = {}) : env_(options) {
    char pattern[] = "/tmp/chompo-game-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::filesystem::current_path(folder_);
    maze = MazeGrid{};
    player = ghosts[0] = ghosts[1] = ghosts[2] = ghosts[3] = Actor{};
    SetGameState(Play);
    gameStateWatcher = nullptr;
    playFrameWatcher = nullptr;
    mainWindow = nullptr;
    intermissionCount = score = extraLifeBase = highScore = dotCount = blinkOn = 0;
    activeFlag = comboCount = 0;
    stageNumber = moveStep = 1;
    lives = 2;
    frameGateLast = playerStepGateLast = ghostStepGateLast = blinkGateLast = 0;
  }
  ~GameTest() override {
    canvas.Release();
    display.Release();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder_);
  }

  platform::HeadlessBackend& backend() { return env_.backend(); }
  std::uint32_t now() { return backend().now(); }

  // The window, display and canvas, as start-up makes them.
  void OpenDisplay() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "Test";
    RegisterClassA(&windowClass);
    mainWindow = CreateWindowExA(0, "Test", "", 0, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
    display.InitFullScreen(mainWindow, 320, 240, 16);
    canvas.Create(display.GetDirectDraw(), 320, 240);
  }

 private:
  testsupport::HeadlessEnv env_;
  std::filesystem::path folder_;
};

}  // namespace gametest
