// One full play-field frame: every cell a wall or a dot, four ghosts in
// every kind of body, the player mirrored, the whole score column, then the
// copy to the back buffer and the present.
#include "game/playfield.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>

#include "game/catalogue.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "game/stage.h"
#include "support/game_window.h"
#include "support/headless_env.h"
#include "support/temp_folder.h"

namespace {

constexpr std::uint16_t kKey = 0xFC10;

// A 13 by 13 picture with a keyed rim, as the game's pictures are drawn.
void MakePicture(Sprite& sprite, std::uint16_t value, int inset) {
  sprite.Release();
  sprite.Create(display.GetDirectDraw(), 13, 13);
  auto* base = static_cast<std::uint8_t*>(sprite.Lock());
  for (int y = 0; y < 13; ++y) {
    auto* row = reinterpret_cast<std::uint16_t*>(base + y * sprite.surfaceDesc.lPitch);
    for (int x = 0; x < 13; ++x) {
      const bool inside = x >= inset && x < 13 - inset && y >= inset && y < 13 - inset;
      row[x] = inside ? static_cast<std::uint16_t>(value + x + y) : kKey;
    }
  }
  sprite.Unlock();
}

// The game's own pictures and font when the data folder has them, made-up
// ones of the same sizes otherwise.
void LoadPictures() {
  const std::filesystem::path data(CHOMPO_DATA_DIR);
  if (std::filesystem::exists(data / "Mog1.bmp") && std::filesystem::exists(data / "e1.eng")) {
    const support::InFolder here(data);
    LoadCatalogue();
    return;
  }
  for (Sprite& s : playerPictures) MakePicture(s, 0xFFE0, 1);
  for (Sprite& s : ghostPictures) MakePicture(s, 0xF800, 0);
  for (Sprite& s : eyePictures) MakePicture(s, 0x001F, 4);
  for (Sprite& s : wallPictures) MakePicture(s, 0x0010, 2);
  MakePicture(dotPictures[0], 0xFFFF, 5);
  MakePicture(dotPictures[1], 0xFFFF, 3);
  // About half of each glyph's pixels set, a dense font's worth.
  for (int i = 0; i < 4096; ++i)
    fontSet.latinGlyphs[i] = static_cast<std::uint8_t>(i % 16 < 2 ? 0 : 0x5A ^ i);
  fontSet.latinLoaded = 1;
  fontSet.latinWidth = 8;
  fontSet.latinHeight = 16;
}

void SetUpField() {
  std::memset(&maze, 0, sizeof(maze));
  for (int row = 0; row < kMazeRows; ++row) {
    for (int column = 0; column < kMazeColumns; ++column) {
      const bool edge = row == 0 || row == kMazeRows - 1 || column == 0 || column == kMazeColumns - 1;
      const bool pillar = row % 4 == 2 && column % 4 == 2;
      if (edge || pillar) {
        maze.walls[row][column] = 1 + (row * kMazeColumns + column) % 16;
      } else {
        maze.dots[row][column] =
            (row == 1 || row == kMazeRows - 2) && (column == 1 || column == kMazeColumns - 2) ? LargeDot
                                                                                              : SmallDot;
      }
    }
  }
  const std::uint32_t now = timeGetTime();
  const std::int32_t modes[] = {Chase, Wander, Blue, Eyes};
  for (int i = 0; i < 4; ++i) {
    Actor& ghost = ghosts[i];
    ghost.state = modes[i];
    ghost.direction = i;
    ghost.x = 13 + 52 * i;
    ghost.y = 104;
    ghost.SetAnimation(2, 100);
    ghost.modeStart = now - 8000;  // the blue one is flashing
  }
  player.direction = Right;
  player.x = 130;
  player.y = 169;
  player.SetAnimation(3, 100);
  highScore = 1234560;
  score = 987650;
  comboCount = 4;
  lives = 5;
  blinkOn = 1;
}

void BM_PlayfieldFrame(benchmark::State& state) {
  support::HeadlessEnv env;
  support::OpenGameWindow();
  if (display.GetDirectDraw() != nullptr && canvas.Create(display.GetDirectDraw(), 320, 240)) {
    LoadPictures();
    SetUpField();
    for (auto _ : state) {
      DrawPlayfield();
    }
    benchmark::DoNotOptimize(env->lastFrame().data());
  } else {
    state.SkipWithError("no display");
  }
  ReleaseCataloguePictures();
  canvas.Release();
  display.Release();
}
BENCHMARK(BM_PlayfieldFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
