// The three short screens around a stage: "START!!", "CLEAR!!" and
// "GAME OVER". Each shows one picture and sleeps; no key is read.
#include "game/game_vars.h"
#include "game/globals.h"
#include "game/playfield.h"
#include "game/stage.h"
#include "screens/screen_frame.h"
#include "screens/screens.h"

namespace {

constexpr std::int32_t kBannerX = 265;
constexpr DWORD kStageStartPauseMs = 5000;
constexpr DWORD kStageClearPauseMs = 2000;
constexpr DWORD kGameOverPauseMs = 5000;

// The bare maze with a blue banner at the top right, presented.
void ShowMazeWithBanner(const char* banner) {
  screens::ClearCanvas();
  DrawMaze(true);
  fontSet.SetTextColor(screens::kBlue);
  screens::DrawText(kBannerX, 0, banner);
  screens::PresentCanvas();
}

}  // namespace

void ShowStageStart() {
  ShowMazeWithBanner("START!!");
  // The tune starts once the picture is up and plays through the wait.
  stageStartEffect.Play();
  RestartActors();
  Sleep(kStageStartPauseMs);
  SetGameState(Play);
  fontSet.SetTextColor(screens::kWhite);
}

void ShowStageClear() {
  ShowMazeWithBanner("CLEAR!!");
  Sleep(kStageClearPauseMs);
  fontSet.SetTextColor(screens::kWhite);
}

void ShowGameOver() {
  screens::ClearCanvas();
  // Nine 8-pixel glyphs from x = 124 sit centred on the 320-pixel width.
  screens::DrawText(124, 100, "GAME OVER");
  screens::PresentCanvas();
  Sleep(kGameOverPauseMs);
  NewGameReset();
  SetGameState(Title);
}
