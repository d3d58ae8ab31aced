// Shared set-up of the game tests: a fresh headless back end and working
// folder per test, the game's state reset, and stage files written by the test.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/play_frame.h"
#include "game/stage.h"
#include "support/files.h"
#include "support/game_window.h"
#include "support/headless_env.h"
#include "support/temp_folder.h"

namespace gametest {

using support::Bytes;

struct Stage {
  MazeGrid maze{};
  std::array<std::array<std::int32_t, 2>, 5> starts{};  // column and row: the player, then ghosts 0 to 3
};

// Both stage files. Names of 3, 2, 2, 2 and 2 bytes make each script record
// exactly 65 bytes long.
inline void WriteStages(const std::vector<Stage>& stages) {
  Bytes map, script;
  const auto put = [](Bytes& bytes, std::size_t value) {
    support::PutLe(bytes, static_cast<std::uint32_t>(value), 4);
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
  support::WriteBytes("StageData.map", map);
  support::WriteBytes("StageData.scp", script);
}

class GameTest : public ::testing::Test {
 protected:
  explicit GameTest(platform::HeadlessOptions options = {}) : env_(options) {
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
  }

  platform::HeadlessBackend& backend() { return env_.backend(); }
  std::uint32_t now() { return backend().now(); }

  // The window, display and canvas, as start-up makes them.
  void OpenDisplay() {
    mainWindow = support::OpenGameWindow();
    canvas.Create(display.GetDirectDraw(), 320, 240);
  }

 private:
  support::HeadlessEnv env_;
  support::TempFolder folder_{"chompo-game"};
  support::InFolder here_{folder_.path()};
};

}  // namespace gametest
