// The input as the two stage files (see stage_input.h): the stage is
// started and played for sixty frames with the arrow keys turning in a
// fixed round, so whatever walls, dots and start cells the files hold
// reach the movement, the ghosts, the collisions, the death sequence and the
// drawing. Nothing is drawn into pictures: there is no display, so drawing
// looks up its pictures (where a bad wall or frame number would show) and
// stops there, and a whole input takes well under a millisecond.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "actors/actor.h"
#include "actors/ghost.h"
#include "fuzz_support.h"
#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/play_frame.h"
#include "game/stage.h"
#include "platform/headless/headless_backend.h"
#include "platform/win32.h"
#include "stage_input.h"
#include "support/backend_scope.h"

namespace {

// Sixty frames turn the player through all four directions and, as the
// clock runs, reach the ghosts' mode changes; two hundred cost the fuzzer
// most of its speed.
constexpr int kFrames = 60;
constexpr int kFramesPerTurn = 15;
constexpr int kTurnKeys[] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
// Two frames' worth for every reading of the clock: without a display
// nothing is presented, and the death sequence, paced by the clock alone,
// then takes tens of passes rather than thousands.
constexpr std::uint32_t kClockStepMs = 34;

class QuickBackend final : public platform::HeadlessBackend {
 public:
  QuickBackend() : HeadlessBackend(platform::HeadlessOptions{.keepLastFrame = false}) {}
  std::uint32_t ReadClockForGame() override {
    Advance(kClockStepMs);
    return now();
  }
};

// The game's state as a new game leaves it, so no input depends on the one
// before.
void ResetGame(std::int32_t stage) {
  maze = MazeGrid{};
  player = Actor{};
  for (Actor& ghost : ghosts) ghost = Actor{};
  gameStateWatcher = nullptr;
  playFrameWatcher = nullptr;
  SetGameState(Play);
  stageNumber = stage;
  intermissionCount = score = extraLifeBase = highScore = dotCount = blinkOn = 0;
  comboCount = 0;
  moveStep = 1;
  lives = 2;
  ghostRandomState = 1;
  lastFrameKeys = FrameKeys{};
  frameGateLast = playerStepGateLast = ghostStepGateLast = blinkGateLast = timeGetTime();
}

void WriteStageFiles(const stageinput::Parts& parts) {
  fuzzsupport::WriteInput("StageData.scp", parts.script);
  if (parts.hasMap) {
    fuzzsupport::WriteInput("StageData.map", parts.map);
  } else {
    std::remove("StageData.map");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzsupport::InWorkFolder here;
  const stageinput::Parts parts =
      stageinput::Split(std::string_view(reinterpret_cast<const char*>(data), size));
  WriteStageFiles(parts);

  QuickBackend backend;
  const support::BackendScope scope(backend);
  ResetGame(parts.stage);
  StartStage();
  int held = -1;
  for (int frame = 0; frame < kFrames; ++frame) {
    const int key = kTurnKeys[(frame / kFramesPerTurn) % 4];
    if (key != held) {
      if (held >= 0) platform::PostKeyUp(held);
      platform::PostKeyDown(key);
      held = key;
    }
    PlayFrame();
    // After a death the next life starts where the stage-start screen would
    // hand over; a cleared stage or the end of the game ends the input.
    if (gameState == StageStart) {
      SetGameState(Play);
    } else if (gameState != Play) {
      break;
    }
  }
  return 0;
}
