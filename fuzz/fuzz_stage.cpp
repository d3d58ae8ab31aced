// The input as the two stage files (see stage_input.h): the stage is
// started and played for a few hundred frames with the arrow keys turning
// in a fixed round, so whatever walls, dots and start cells the files hold
// reach the movement, the ghosts, the collisions, the death sequence and the
// drawing. The catalogue comes from the built data folder when it is there.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "actors/actor.h"
#include "actors/ghost.h"
#include "fuzz_support.h"
#include "game/catalogue.h"
#include "game/game_vars.h"
#include "game/gates.h"
#include "game/globals.h"
#include "game/play_frame.h"
#include "game/stage.h"
#include "platform/headless/headless_backend.h"
#include "platform/win32.h"
#include "stage_input.h"
#include "support/backend_scope.h"
#include "support/temp_folder.h"

namespace {

constexpr int kFrames = 200;
constexpr std::uint32_t kFrameMs = 17;
constexpr int kFramesPerTurn = 23;
constexpr int kTurnKeys[] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};

// Each presented picture moves the clock a frame's worth, not 1 ms: the
// death sequence, paced by the clock alone, then takes tens of pictures
// rather than well over a thousand. Frames are not kept.
class QuickBackend final : public platform::HeadlessBackend {
 public:
  QuickBackend() : HeadlessBackend(platform::HeadlessOptions{.keepLastFrame = false}) {}
  void Idle() override { Advance(kFrameMs); }
};

void LoadCatalogueOnce() {
  platform::HeadlessBackend setup;
  const support::BackendScope scope(setup);
  display.InitFullScreen(nullptr, 320, 240, 16);
  canvas.Create(display.GetDirectDraw(), 320, 240);
  std::error_code missing;
  const support::InFolder data(CHOMPO_DATA_DIR, missing);
  if (!missing) {
    LoadCatalogue();
  } else {
    std::fprintf(stderr, "chompo fuzz: no data folder %s: the stages are drawn without pictures\n",
                 CHOMPO_DATA_DIR);
  }
}

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
  static const bool loaded = (LoadCatalogueOnce(), true);
  static_cast<void>(loaded);
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
    // Presenting moved the clock already; only what the frame gate still
    // waits for is added.
    const std::uint32_t since = timeGetTime() - frameGateLast;
    if (since <= kFrameMs - 1) backend.Advance(kFrameMs - since);
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
