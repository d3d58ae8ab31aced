// Shared set-up of the game tests: a fresh headless back end and working
// folder per test, the game's state reset, and crafted mazes and stage files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/game_vars.h"
#include "app/globals.h"
#include "game/gates.h"
#include "game/play_frame.h"
#include "game/stage.h"
#include "support/headless_env.h"

namespace gametest {

using Bytes = std::vector<unsigned char>;
// 18 rows of 20: '#' wall, '.' small dot, 'o' large dot, else open floor.
using MazeText = std::array<std::string, 18>;
// Start cells (column, row) of the player, then ghosts 0 to 3.
using Starts = std::array<std::array<std::int32_t, 2>, 5>;

inline MazeText Walled(bool border = true) {
  MazeText text;
  text.fill(border ? "#" + std::string(18, ' ') + "#" : std::string(20, ' '));
  if (border) {
    text[0] = text[17] = std::string(20, '#');
  }
  return text;
}

inline std::int32_t Cell(char c, int layer) {
  return layer == 0 ? c == '#' : c == '.' ? 1 : c == 'o' ? 2 : 0;
}

inline void SetMaze(const MazeText& text) {
  for (int i = 0; i < 360; ++i) {
    maze.walls[i / 20][i % 20] = Cell(text[i / 20][i % 20], 0);
    maze.dots[i / 20][i % 20] = Cell(text[i / 20][i % 20], 1);
  }
}

inline void PutInt(Bytes& bytes, std::int32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> shift));
  }
}

inline Bytes MapBytes(const std::vector<MazeText>& stages) {
  Bytes bytes;
  PutInt(bytes, static_cast<std::int32_t>(stages.size()));
  for (std::size_t n = 0; n < stages.size(); ++n) {
    PutInt(bytes, static_cast<std::int32_t>(n + 1));
    for (int i = 0; i < 720; ++i) {
      PutInt(bytes, Cell(stages[n][i % 360 / 20][i % 20], i / 360));
    }
  }
  return bytes;
}

// Names "PPP", "G0" to "G3" make a record of exactly 65 bytes.
inline Bytes ScriptBytes(const std::vector<Starts>& stages, std::size_t playerNameLength = 3) {
  Bytes bytes;
  PutInt(bytes, static_cast<std::int32_t>(stages.size()));
  for (const Starts& starts : stages) {
    PutInt(bytes, 0);
    for (int i = 0; i < 5; ++i) {
      const std::string name = i == 0 ? std::string(playerNameLength, 'P') : "G" + std::to_string(i - 1);
      bytes.push_back(static_cast<unsigned char>(name.size()));
      bytes.insert(bytes.end(), name.begin(), name.end());
      bytes.push_back(0);
      PutInt(bytes, starts[i][0]);
      PutInt(bytes, starts[i][1]);
    }
  }
  return bytes;
}

inline void WriteFile(const std::string& name, const Bytes& bytes) {
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class GameTest : public ::testing::Test {
 protected:
  explicit GameTest(platform::HeadlessOptions options = {}) : env_(options) {
    char pattern[] = "/tmp/chompo-game-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::filesystem::current_path(folder_);
    maze = MazeGrid{};
    for (Actor* actor : {&ghosts[0], &ghosts[1], &ghosts[2], &ghosts[3], &player}) {
      *actor = Actor{};
    }
    SetGameState(Play);
    gameStateWatcher = nullptr;
    playFrameWatcher = nullptr;
    mainWindow = nullptr;
    intermissionCount = score = extraLifeBase = highScore = dotCount = blinkOn = 0;
    comboCount = 0;
    activeFlag = 0;
    stageNumber = moveStep = 1;
    lives = 2;
    frameGateLast = playerStepGateLast = ghostStepGateLast = blinkGateLast = 0;
  }
  ~GameTest() override {
    for (Sprite& picture : dyingPictures) {
      picture.Release();
    }
    dotPictures[1].Release();
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

  std::filesystem::path folder_;

 private:
  testsupport::HeadlessEnv env_;
};

}  // namespace gametest
